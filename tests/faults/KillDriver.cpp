// SPDX-License-Identifier: MIT
// Registers and removes pictures through the registration window over and over until it is
// killed; KillStressTest starts it and kills it. It starts as the program does (the changer
// window's Form_Load, which clears what a killed run left, then Form_Activate) and says
// "ready" on its standard output once that is done.
//
// Before every write of the list file it appends "<now> <next>\n" to the log, the SHA-256 of
// the file's content now and of the content about to be written ("-" for no file), and
// flushes the log to the disk: whoever kills it knows the only two contents the list file
// may then hold.
//
// usage: velmora-kill-driver APP_FOLDER LOG SEED SOURCE_FOLDER...
#include "DirListBox.h"
#include "FileListBox.h"
#include "HeadlessPlatform.h"
#include "QtText.h"
#include "VbCheckBox.h"
#include "VbListBox.h"
#include "frmChangeKabegami.h"
#include "frmKabegamiTouroku.h"
#include "mdlKabegami.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr qint64 kLifetimeMs = 60000; // a driver nobody kills ends by itself
constexpr int kFewest = 2;            // below this many entries it only registers
constexpr int kMost = 8;              // above this many it only removes

[[noreturn]] void Die(const char* what) {
    std::fprintf(stderr, "velmora-kill-driver: %s\n", what);
    std::fflush(stderr);
    ::_exit(4);
}

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

class LoggingPlatform : public HeadlessPlatform {
  public:
    LoggingPlatform(const QString& appFolder, const QString& log)
        : HeadlessPlatform(appFolder), listFile_(appFolder + QStringLiteral("/Kabegamilist.def")),
          logFd_(::open(QFile::encodeName(log).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {
        if (logFd_ < 0)
            Die("cannot open the log");
    }

    void WriteFileAtomically(const std::string& path, std::string_view data) override {
        if (FromUtf8(path) == listFile_)
            Log(QByteArray(data.data(), qsizetype(data.size())));
        LinuxPlatform::WriteFileAtomically(path, data);
    }

  private:
    void Log(const QByteArray& next) {
        QByteArray now = "-";
        QFile file(listFile_);
        if (file.open(QIODevice::ReadOnly))
            now = Digest(file.readAll());
        const QByteArray line = now + ' ' + Digest(next) + '\n';
        if (::write(logFd_, line.constData(), line.size()) != line.size() || ::fsync(logFd_) != 0)
            Die("cannot write the log");
    }

    QString listFile_;
    int logFd_;
};

// Selects count different random rows of list.
void SelectRandomRows(QListWidget* list, const QList<int>& rows, int count,
                      QRandomGenerator& random) {
    QList<int> left = rows;
    list->clearSelection();
    for (int i = 0; i < count && !left.isEmpty(); ++i)
        list->item(left.takeAt(random.bounded(int(left.size()))))->setSelected(true);
}

bool Register(frmKabegamiTouroku& window, const mdlKabegami& module, const QStringList& sources,
              QRandomGenerator& random) {
    QSet<QString> registered;
    for (const KabegamiEntryView entry : module.KabegamiList)
        registered.insert(FromUtf8(entry.FileName));
    window.Dir1()->SetPath(sources[random.bounded(int(sources.size()))]);
    FileListBox* files = window.File1();
    QList<int> rows;
    for (int i = 0; i < files->count(); ++i) {
        if (!registered.contains(files->item(i)->text()))
            rows << i;
    }
    if (rows.isEmpty())
        return false;
    // Half the registrations copy into Pic/ (every volume counts as removable here).
    const bool copy = random.bounded(2) == 0;
    if ((window.chkFileCopy()->Value() == 1) != copy)
        window.chkFileCopy()->click();
    SelectRandomRows(files, rows, 1 + random.bounded(2), random);
    window.cmdTouroku_Click();
    return true;
}

bool Remove(frmKabegamiTouroku& window, QRandomGenerator& random) {
    VbListBox* list = window.lstTourokuFileList();
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i)
        rows << i;
    if (rows.isEmpty())
        return false;
    SelectRandomRows(list, rows, 1 + random.bounded(2), random);
    window.cmdDelete_Click();
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        Die("usage: velmora-kill-driver APP_FOLDER LOG SEED SOURCE_FOLDER...");
    LoggingPlatform platform(args[1], args[2]);
    QRandomGenerator random(args[3].toUInt());
    const QStringList sources = args.mid(4);
    platform.driveType = DriveType::Removable;

    mdlKabegami module(platform);
    frmChangeKabegami form(module, platform);
    if (!form.Form_Load())
        Die("another instance runs");
    form.Form_Activate();
    frmKabegamiTouroku window(module, platform);
    window.show();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);

    QElapsedTimer lifetime;
    lifetime.start();
    while (lifetime.elapsed() < kLifetimeMs) {
        const int n = int(module.KabegamiList.size());
        const bool registering = n < kFewest || (n <= kMost && random.bounded(2) == 0);
        if (!(registering ? Register(window, module, sources, random) : Remove(window, random)))
            Remove(window, random);
        // Only the removal question may be asked: anything else is a failure to report.
        for (const MsgBoxCall& box : platform.msgBoxes) {
            if (box.style != kRemovalQuestionStyle) {
                std::fprintf(stderr, "velmora-kill-driver: message box: %s\n",
                             box.text.toLocal8Bit().constData());
                Die("an operation failed");
            }
        }
        platform.msgBoxes.clear();
    }
    return 0;
}
