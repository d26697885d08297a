// SPDX-License-Identifier: MIT
// A list file that claims copies ("1") outside Pic/: plainly, through "..", through symbolic
// links to files and folders, beside Pic/ and relative to the working folder. Removing the
// entries through the registration window, on the real Linux services, deletes the
// program's own copy and nothing else: every other file keeps its bytes.
#include "HeadlessPlatform.h"
#include "VbListBox.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Every name below folder: a link by its target, a file by its content, a folder by "/".
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = QDir(folder).relativeFilePath(path);
        if (info.isSymLink())
            names.insert(name, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            names.insert(name, "/");
        else
            names.insert(name, Bytes(path));
    }
    return names;
}

} // namespace

class HostileListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tmp_;
    QString root_;
    QString app_;
    QString pic_;
    QString victims_;
    QString savedCurrent_;

    // The hostile entries: each claims a copy of the program's own, none of them is.
    QList<QPair<QString, QString>> HostileEntries() const {
        return {
            {"direct.jpg", victims_ + "direct.jpg"},
            {"dotdot.jpg", pic_ + "../../victims/dotdot.jpg"},
            {"dots.jpg", pic_ + "./../.././victims//dots.jpg"},
            {"linked.jpg", pic_ + "linked.jpg"},       // a link to a victim
            {"inner.jpg", pic_ + "outside/inner.jpg"}, // through a linked folder
            {"up.jpg", pic_ + "up/app.jpg"},           // through a link to the app folder
            {"p.jpg", app_ + "Pictures/p.jpg"},        // beside Pic/, named alike
            {"lower.jpg", app_ + "pic/lower.jpg"},     // another letter case
            {"app.jpg", pic_ + "../app.jpg"},
            {"list", pic_ + "../Kabegamilist.def"},      // the list file itself
            {"relative.jpg", "../victims/relative.jpg"}, // from the working folder
            {"tilde.jpg", "~/tilde.jpg"},
            {"pic", pic_},
            {"app", app_},
            {"root", "/"},
            {"victims", victims_},
        };
    }

    void WriteList() {
        QByteArray bytes = ("\"/ [root]\"," + app_ + ",1\r\n").toUtf8();
        for (const auto& [name, path] : HostileEntries())
            bytes += (root_ + "cd/," + name + u',' + path + ",1\r\n").toUtf8();
        bytes += (root_ + "cd/,own.jpg," + pic_ + "own.jpg,1\r\n").toUtf8();
        WriteBytes(app_ + "Kabegamilist.def", bytes);
    }

    // What must stay: everything but the list file and the program's own copy.
    QMap<QString, QByteArray> Kept() const {
        QMap<QString, QByteArray> names = Snapshot(root_);
        names.remove("app/Kabegamilist.def");
        names.remove("app/Pic/own.jpg");
        return names;
    }

    void CheckAfterRemoving(HeadlessPlatform& platform, const mdlKabegami& module,
                            const QMap<QString, QByteArray>& kept, int questions) {
        QCOMPARE(module.KabegamiList.size(), 0);
        QCOMPARE(Bytes(app_ + "Kabegamilist.def"), ("/ [root]," + app_ + ",1\r\n").toUtf8());
        QVERIFY(!QFile::exists(pic_ + "own.jpg"));
        QCOMPARE(Kept(), kept);
        // One question per removal; clicking a row previews it, and what is no picture is
        // reported, which is no concern here.
        int asked = 0;
        for (const MsgBoxCall& box : platform.msgBoxes) {
            if (box.style == kRemovalQuestionStyle)
                ++asked;
            else
                QVERIFY2(HeadlessPlatform::ErrorNumberOf(box) > 0, qPrintable(box.text));
        }
        QCOMPARE(asked, questions);
    }

  private Q_SLOTS:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        root_ = tmp_->path() + u'/';
        app_ = root_ + "app/";
        pic_ = app_ + "Pic/";
        victims_ = root_ + "victims/";
        for (const char* name : {"direct.jpg", "dotdot.jpg", "dots.jpg", "linked.jpg",
                                 "dir/inner.jpg", "relative.jpg"})
            WriteBytes(victims_ + QLatin1String(name), QByteArray("victim ") + name);
        WriteBytes(pic_ + "own.jpg", "the program's own copy");
        WriteBytes(app_ + "Pictures/p.jpg", "beside Pic");
        WriteBytes(app_ + "pic/lower.jpg", "lower case");
        WriteBytes(app_ + "app.jpg", "in the app folder");
        WriteBytes(app_ + "~/tilde.jpg", "a folder named ~");
        QVERIFY(QFile::link(victims_ + "linked.jpg", pic_ + "linked.jpg"));
        QVERIFY(QFile::link("../../victims/dir", pic_ + "outside"));
        QVERIFY(QFile::link("..", pic_ + "up"));
        WriteList();
        savedCurrent_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(app_));
    }

    void cleanup() { QDir::setCurrent(savedCurrent_); }

    void removingAllAtOnceDeletesOnlyTheOwnCopy() {
        const QMap<QString, QByteArray> kept = Kept();
        HeadlessPlatform platform(app_);
        mdlKabegami module(platform);
        module.AppPath = module.GetAppPath();
        frmKabegamiTouroku window(module, platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.lstTourokuFileList()->count(), HostileEntries().size() + 1);
        window.lstTourokuFileList()->selectAll();
        QTest::mouseClick(window.cmdDelete(), Qt::LeftButton);
        CheckAfterRemoving(platform, module, kept, 1);
    }

    void removingOneByOneDeletesOnlyTheOwnCopy() {
        const QMap<QString, QByteArray> kept = Kept();
        HeadlessPlatform platform(app_);
        mdlKabegami module(platform);
        module.AppPath = module.GetAppPath();
        frmKabegamiTouroku window(module, platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        VbListBox* list = window.lstTourokuFileList();
        int questions = 0;
        // From the last row up, each by a click and Enter, as the user would.
        while (list->count() > 0) {
            const int row = list->count() - 1;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
            QVERIFY(list->item(row)->isSelected());
            QTest::keyClick(list, Qt::Key_Return);
            ++questions;
            QCOMPARE(list->count(), row);
        }
        CheckAfterRemoving(platform, module, kept, questions);
    }
};

QTEST_MAIN(HostileListTest)
#include "HostileListTest.moc"
