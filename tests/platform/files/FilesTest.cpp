// SPDX-License-Identifier: MIT
#include "Files.h"
#include "DataFolder.h"
#include "Errno.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::linux_impl;
using namespace velmora::test;

class FilesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void errnoMapping_data();
    void errnoMapping();
    void failuresOfRealOperations();
    void writeAtomicallyReplacesContentAndKeepsMode();
    void readOnlyFolderKeepsOldFile();
    void readOnlyVolumeKeepsOldFile();
    void fullDiskKeepsOldFileAndLeavesNoTemporary();
    void failedCopyKeepsTarget();
    void copyFollowsSourceLinkAndNeverReplacesAnotherFile();
    void writeAtomicallyThroughLinks();
    void removeTemporaryFilesTakesOnlyPrefixedFiles();
    void fileExists();
    void resolvePath();
    void dataFolderBesideProgramOrInUserData();

  private:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void FilesTest::errnoMapping_data() {
    QTest::addColumn<int>("err");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");
    const QString inExisting = QDir::tempPath() + QStringLiteral("/no-such-file");
    const QString inMissing = QDir::tempPath() + QStringLiteral("/no-such-folder/file");
    QTest::newRow("ENOENT, folder exists") << ENOENT << inExisting << 53;
    QTest::newRow("ENOENT, folder exists, trailing /") << ENOENT << inExisting + u'/' << 53;
    QTest::newRow("ENOENT, folder missing") << ENOENT << inMissing << 76;
    QTest::newRow("ENOENT, bare name") << ENOENT << QStringLiteral("no-such-file") << 53;
    QTest::newRow("ENOTDIR") << ENOTDIR << inExisting << 76;
    QTest::newRow("ENOMEDIUM") << ENOMEDIUM << inExisting << 71;
    QTest::newRow("ENXIO") << ENXIO << inExisting << 71;
    QTest::newRow("ENODEV") << ENODEV << inExisting << 71;
    QTest::newRow("EEXIST") << EEXIST << inExisting << 75;
    QTest::newRow("EISDIR") << EISDIR << inExisting << 75;
    QTest::newRow("EROFS") << EROFS << inExisting << 75;
    QTest::newRow("EACCES") << EACCES << inExisting << 70;
    QTest::newRow("EPERM") << EPERM << inExisting << 70;
    QTest::newRow("ENOSPC") << ENOSPC << inExisting << 61;
    QTest::newRow("EDQUOT") << EDQUOT << inExisting << 61;
    QTest::newRow("EIO") << EIO << inExisting << 57;
    QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << inExisting << 52;
    QTest::newRow("ENOMEM") << ENOMEM << inExisting << 7;
    QTest::newRow("other (EBUSY)") << EBUSY << inExisting << 75;
}

void FilesTest::errnoMapping() {
    QFETCH(int, err);
    QFETCH(QString, path);
    QFETCH(int, number);
    const PlatformError error = ErrorFromErrno(err, path);
    QCOMPARE(error.Number, number);
    QCOMPARE(QString::fromStdString(error.Description),
             QString::fromStdString(ErrorDescription(number)));
}

void FilesTest::failuresOfRealOperations() {
    QVERIFY(dir_.isValid());
    const QString folder = Path(QStringLiteral("made"));
    QCOMPARE(ErrorNumberOf([&] { MakeFolder(folder + u'/'); }), 0);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(ErrorNumberOf([&] { MakeFolder(folder + u'/'); }), 75);
    QCOMPARE(ErrorNumberOf([&] { MakeFolder(Path(QStringLiteral("none/sub/"))); }), 76);

    QCOMPARE(ErrorNumberOf([&] { DeleteFile(Path(QStringLiteral("missing.bmp"))); }), 53);
    QCOMPARE(ErrorNumberOf([&] { DeleteFile(Path(QStringLiteral("none/missing.bmp"))); }), 76);
    QCOMPARE(ErrorNumberOf([&] { DeleteFile(folder); }), 75);
    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(folder); }), 75);
    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(Path(QStringLiteral("missing"))); }), 53);

    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(Path(QString(300, u'x'))); }), 52);
    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(Path(QStringLiteral("a")) + QChar(u'\0')); }), 52);
    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(Path(QString(QChar(0xD800)))); }), 52);
    QCOMPARE(ErrorNumberOf([&] { ReadWholeFile(QString()); }), 52);

    const QString file = Path(QStringLiteral("kept.bmp"));
    WriteBytes(file, "BM");
    QCOMPARE(ErrorNumberOf([&] { DeleteFile(file); }), 0);
    QVERIFY(!QFileInfo::exists(file));

    // A large file comes back whole.
    QByteArray big(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    WriteBytes(file, big);
    QCOMPARE(QByteArray::fromStdString(ReadWholeFile(file)), big);
}

void FilesTest::writeAtomicallyReplacesContentAndKeepsMode() {
    const QString file = Path(QStringLiteral("list.txt"));
    WriteFileAtomically(file, "first, longer content\n");
    QCOMPARE(ReadBytes(file), QByteArray("first, longer content\n"));
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
    WriteFileAtomically(file, "second\n");
    QCOMPARE(ReadBytes(file), QByteArray("second\n"));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(file).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, 0640u);
    WriteFileAtomically(file, std::string_view());
    QCOMPARE(ReadBytes(file), QByteArray());
    QCOMPARE(TemporaryFilesIn(dir_.path()), QStringList());
    QCOMPARE(ErrorNumberOf([&] { WriteFileAtomically(Path(QStringLiteral("none/x")), "x"); }), 76);
}

void FilesTest::readOnlyFolderKeepsOldFile() {
    // Root ignores permissions: then the checks run as "nobody" on folders of root's.
    QTemporaryDir top;
    QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0);
    const QString folder = top.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(folder));
    const QByteArray folderName = QFile::encodeName(folder);
    const QString file = folder + QStringLiteral("/list.txt");
    const QString source = top.filePath(QStringLiteral("source.bmp"));
    WriteBytes(file, "old content");
    WriteBytes(source, "new picture");
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(source).constData(), 0644) == 0);
    QVERIFY(::chmod(folderName.constData(), 0555) == 0);

    const int write = ErrorNumberWithoutPrivileges([&] { WriteFileAtomically(file, "new"); });
    const int copy = ErrorNumberWithoutPrivileges([&] { CopyFileKeepingOthers(source, file); });
    // Nor can a file be read in a folder that may not be entered.
    QVERIFY(::chmod(folderName.constData(), 0) == 0);
    const int read = ErrorNumberWithoutPrivileges([&] { ReadWholeFile(file); });
    QVERIFY(::chmod(folderName.constData(), 0755) == 0);

    QCOMPARE(write, 70);
    QCOMPARE(copy, 70);
    QCOMPARE(read, 70);
    QCOMPARE(ReadBytes(file), QByteArray("old content"));
    QCOMPARE(TemporaryFilesIn(folder), QStringList());
}

void FilesTest::readOnlyVolumeKeepsOldFile() {
    if (!IsRoot())
        QSKIP("mounting a read-only volume needs root");
    QTemporaryDir mountPoint;
    TmpfsMount volume(mountPoint.path(), "1m");
    if (!volume.Mounted())
        QSKIP("this machine refuses tmpfs mounts");
    const QString file = mountPoint.filePath(QStringLiteral("list.txt"));
    WriteBytes(file, "old content");
    const QString source = Path(QStringLiteral("source.bmp"));
    WriteBytes(source, "new picture");
    QVERIFY(volume.MakeReadOnly());

    QCOMPARE(ErrorNumberOf([&] { WriteFileAtomically(file, "new content"); }), 75);
    QCOMPARE(ErrorNumberOf([&] { CopyFileKeepingOthers(source, file); }), 75);
    QCOMPARE(ErrorNumberOf([&] { MakeFolder(mountPoint.filePath(QStringLiteral("Pic/"))); }), 75);
    QCOMPARE(ErrorNumberOf([&] { DeleteFile(file); }), 75);
    QCOMPARE(ReadBytes(file), QByteArray("old content"));
    QCOMPARE(TemporaryFilesIn(mountPoint.path()), QStringList());
}

void FilesTest::fullDiskKeepsOldFileAndLeavesNoTemporary() {
    if (!IsRoot())
        QSKIP("mounting a small volume to fill needs root");
    QTemporaryDir mountPoint;
    TmpfsMount volume(mountPoint.path(), "64k");
    if (!volume.Mounted())
        QSKIP("this machine refuses tmpfs mounts");
    const QString file = mountPoint.filePath(QStringLiteral("list.txt"));
    const QByteArray old(4000, 'o');
    WriteBytes(file, old);
    const QByteArray tooBig(256 * 1024, 'n');
    const QString source = Path(QStringLiteral("big.bmp"));
    WriteBytes(source, tooBig);

    // Part of the new content fits, the rest does not.
    QCOMPARE(ErrorNumberOf([&] { WriteFileAtomically(file, tooBig.toStdString()); }), 61);
    QCOMPARE(ReadBytes(file), old);
    QCOMPARE(TemporaryFilesIn(mountPoint.path()), QStringList());
    QCOMPARE(ErrorNumberOf([&] { CopyFileKeepingOthers(source, file); }), 61);
    QCOMPARE(ReadBytes(file), old);
    QCOMPARE(TemporaryFilesIn(mountPoint.path()), QStringList());

    // Not one byte left: even a small write fails, still without damage.
    QFile filler(mountPoint.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(1024, 'f');
    while (filler.write(block) > 0) {
    }
    filler.close();
    QCOMPARE(ErrorNumberOf([&] { WriteFileAtomically(file, "tiny but does not fit"); }), 61);
    QCOMPARE(ReadBytes(file), old);
    QCOMPARE(TemporaryFilesIn(mountPoint.path()), QStringList());
}

void FilesTest::failedCopyKeepsTarget() {
    const QString target = Path(QStringLiteral("target.bmp"));
    WriteBytes(target, "old target");
    QCOMPARE(
        ErrorNumberOf([&] { CopyFileKeepingOthers(Path(QStringLiteral("gone.bmp")), target); }),
        53);
    QCOMPARE(ErrorNumberOf(
                 [&] { CopyFileKeepingOthers(Path(QStringLiteral("none/gone.bmp")), target); }),
             76);
    QCOMPARE(ErrorNumberOf([&] { CopyFileKeepingOthers(dir_.path(), target); }), 75);
    QCOMPARE(ReadBytes(target), QByteArray("old target"));
    QCOMPARE(TemporaryFilesIn(dir_.path()), QStringList());

    const QString source = Path(QStringLiteral("source.bmp"));
    WriteBytes(source, "picture");
    QCOMPARE(ErrorNumberOf([&] { CopyFileKeepingOthers(source, Path(QStringLiteral("none/x"))); }),
             76);
    // Copying a file onto itself leaves it whole.
    CopyFileKeepingOthers(source, source);
    QCOMPARE(ReadBytes(source), QByteArray("picture"));
}

void FilesTest::copyFollowsSourceLinkAndNeverReplacesAnotherFile() {
    const QString picture = Path(QStringLiteral("picture.bmp"));
    const QString link = Path(QStringLiteral("link.bmp"));
    QByteArray content(200000, '\0');
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i % 251);
    WriteBytes(picture, content);
    QVERIFY(QFile::link(picture, link));
    QVERIFY(QDir().mkpath(Path(QStringLiteral("Pic"))));

    const QString copy = Path(QStringLiteral("Pic/link.bmp"));
    CopyFileKeepingOthers(link, copy);
    QVERIFY(!QFileInfo(copy).isSymLink());
    QVERIFY(QFileInfo(copy).isFile());
    QCOMPARE(ReadBytes(copy), content);
    // Copied again, as after an interrupted registration: the same bytes may stay.
    CopyFileKeepingOthers(picture, copy);
    QCOMPARE(ReadBytes(copy), content);

    // Another file of that name is someone's own, also behind a link, also one byte short.
    const QString other = Path(QStringLiteral("Pic/other.bmp"));
    WriteBytes(other, "the user's own picture");
    const QString elsewhere = Path(QStringLiteral("elsewhere.txt"));
    WriteBytes(elsewhere, "not to be touched");
    const QString linkedTarget = Path(QStringLiteral("Pic/linked.bmp"));
    QVERIFY(QFile::link(elsewhere, linkedTarget));
    const QString shorter = Path(QStringLiteral("Pic/shorter.bmp"));
    WriteBytes(shorter, content.chopped(1));
    const QString dangling = Path(QStringLiteral("Pic/dangling.bmp"));
    QVERIFY(QFile::link(Path(QStringLiteral("nowhere.bmp")), dangling));
    for (const QString& target : {other, linkedTarget, shorter, dangling})
        QCOMPARE(ErrorNumberOf([&] { CopyFileKeepingOthers(picture, target); }), 58);
    QCOMPARE(ReadBytes(other), QByteArray("the user's own picture"));
    QVERIFY(QFileInfo(linkedTarget).isSymLink());
    QCOMPARE(ReadBytes(elsewhere), QByteArray("not to be touched"));
    QCOMPARE(ReadBytes(shorter), content.chopped(1));
    QVERIFY(!QFile::exists(Path(QStringLiteral("nowhere.bmp"))));
    QCOMPARE(TemporaryFilesIn(Path(QStringLiteral("Pic"))), QStringList());
}

void FilesTest::writeAtomicallyThroughLinks() {
    // The list file as a link into another folder, through a second, relative link.
    QVERIFY(QDir().mkpath(Path(QStringLiteral("real"))));
    QVERIFY(QDir().mkpath(Path(QStringLiteral("app"))));
    const QString real = Path(QStringLiteral("real/list.txt"));
    WriteBytes(real, "old list");
    QVERIFY(QFile::link(QStringLiteral("../real/list.txt"), Path(QStringLiteral("app/hop"))));
    const QString list = Path(QStringLiteral("app/list.txt"));
    QVERIFY(QFile::link(QStringLiteral("hop"), list));

    WriteFileAtomically(list, "new list");
    QVERIFY(QFileInfo(list).isSymLink());
    QVERIFY(QFileInfo(Path(QStringLiteral("app/hop"))).isSymLink());
    QCOMPARE(ReadBytes(real), QByteArray("new list"));
    QCOMPARE(TemporaryFilesIn(Path(QStringLiteral("app"))), QStringList());
    QCOMPARE(TemporaryFilesIn(Path(QStringLiteral("real"))), QStringList());

    // A dangling link gets its target; a cycle leads nowhere.
    QVERIFY(QFile::remove(real));
    WriteFileAtomically(list, "first list");
    QVERIFY(QFileInfo(list).isSymLink());
    QCOMPARE(ReadBytes(real), QByteArray("first list"));
    const QString loop = Path(QStringLiteral("app/loop"));
    QVERIFY(QFile::link(QStringLiteral("loop"), loop));
    QCOMPARE(ErrorNumberOf([&] { WriteFileAtomically(loop, "x"); }), 76);
    QVERIFY(QFileInfo(loop).isSymLink());
}

void FilesTest::removeTemporaryFilesTakesOnlyPrefixedFiles() {
    QTemporaryDir top;
    const QString folder = top.path();
    const QString outside = Path(QStringLiteral("outside.txt"));
    WriteBytes(outside, "keep");
    WriteBytes(folder + QStringLiteral("/.velmora-tmp-a1b2"), "left by a killed run");
    WriteBytes(folder + QStringLiteral("/.velmora-tmp-"), "");
    WriteBytes(folder + QStringLiteral("/velmora-tmp-x"), "no dot: not ours");
    WriteBytes(folder + QStringLiteral("/.velmora-list"), "another name");
    WriteBytes(folder + QStringLiteral("/picture.bmp"), "keep");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/.velmora-tmp-folder")));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    WriteBytes(folder + QStringLiteral("/sub/.velmora-tmp-nested"), "not directly inside");
    QVERIFY(QFile::link(outside, folder + QStringLiteral("/.velmora-tmp-link")));

    RemoveTemporaryFiles(folder + u'/');

    QCOMPARE(QDir(folder).entryList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{QStringLiteral(".velmora-list"), QStringLiteral(".velmora-tmp-folder"),
                          QStringLiteral(".velmora-tmp-link"), QStringLiteral("picture.bmp"),
                          QStringLiteral("sub"), QStringLiteral("velmora-tmp-x")}));
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/sub/.velmora-tmp-nested")));
    QCOMPARE(ReadBytes(outside), QByteArray("keep"));
    // Nothing to clean where there is no folder.
    QCOMPARE(ErrorNumberOf([&] { RemoveTemporaryFiles(folder + QStringLiteral("/none/")); }), 0);
}

void FilesTest::fileExists() {
    const QString file = Path(QStringLiteral("exists.bmp"));
    WriteBytes(file, "x");
    QVERIFY(FileExists(file));
    QVERIFY(FileExists(dir_.path()));
    QVERIFY(!FileExists(Path(QStringLiteral("missing.bmp"))));
    QVERIFY(QFile::link(Path(QStringLiteral("missing.bmp")), Path(QStringLiteral("dangling"))));
    QVERIFY(!FileExists(Path(QStringLiteral("dangling"))));
    QVERIFY(!FileExists(QString()));
}

void FilesTest::resolvePath() {
    QTemporaryDir top;
    // The temporary folder itself may lie behind a link.
    const QString real = QFileInfo(top.path()).canonicalFilePath();
    QVERIFY(QDir().mkpath(real + QStringLiteral("/app/Pic")));
    QVERIFY(QDir().mkpath(real + QStringLiteral("/other")));
    QVERIFY(QFile::link(real + QStringLiteral("/app"), real + QStringLiteral("/applink")));
    QVERIFY(QFile::link(QStringLiteral("../../other"), real + QStringLiteral("/app/Pic/rel")));
    QVERIFY(QFile::link(QStringLiteral("loop2"), real + QStringLiteral("/loop1")));
    QVERIFY(QFile::link(QStringLiteral("loop1"), real + QStringLiteral("/loop2")));

    QCOMPARE(ResolvePath(real + QStringLiteral("/applink/Pic/./a.bmp")),
             real + QStringLiteral("/app/Pic/a.bmp"));
    QCOMPARE(ResolvePath(real + QStringLiteral("/applink/Pic/")),
             real + QStringLiteral("/app/Pic"));
    // ".." after a link climbs out of where the link leads, not out of the link's folder.
    QCOMPARE(ResolvePath(real + QStringLiteral("/app/Pic/rel/../x.bmp")),
             real + QStringLiteral("/x.bmp"));
    // Escaping the folder through ".." is seen for what it is.
    QCOMPARE(ResolvePath(real + QStringLiteral("/app/Pic/../../other/a.bmp")),
             real + QStringLiteral("/other/a.bmp"));
    QCOMPARE(ResolvePath(real + QStringLiteral("/app/missing/deeper/../b.bmp")),
             real + QStringLiteral("/app/missing/b.bmp"));
    QCOMPARE(ResolvePath(QStringLiteral("/")), QStringLiteral("/"));
    QCOMPARE(ResolvePath(QStringLiteral("/../..")), QStringLiteral("/"));
    QVERIFY(!ResolvePath(real + QStringLiteral("/loop1/x")).isEmpty()); // ends, whatever it says
    // The cycle stays as written; what comes before and after it is still resolved and cleaned.
    QCOMPARE(ResolvePath(real + QStringLiteral("/applink/../loop1/./x/")),
             real + QStringLiteral("/loop1/x"));
    QCOMPARE(ResolvePath(real + QStringLiteral("/applink/../loop2/../app/Pic/")),
             real + QStringLiteral("/app/Pic"));
    QCOMPARE(ResolvePath(real + QStringLiteral("/app/new/")), real + QStringLiteral("/app/new"));

    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(real + QStringLiteral("/app")));
    const QString relative = ResolvePath(QStringLiteral("Pic/rel/c.bmp"));
    QDir::setCurrent(cwd);
    QCOMPARE(relative, real + QStringLiteral("/other/c.bmp"));
}

void FilesTest::dataFolderBesideProgramOrInUserData() {
    const QString home = Path(QStringLiteral("home"));
    const QString xdg = Path(QStringLiteral("xdg-data"));
    const QString program = Path(QStringLiteral("unpacked"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QDir().mkpath(program));

    // A folder the user can write to keeps the data beside the program.
    DataFolderChoice choice = ChooseDataFolder(program, xdg, home);
    QCOMPARE(choice.folder, program);
    QVERIFY(!QFileInfo::exists(xdg));

    // A system-wide install, even for root: the user's data folder, made private.
    choice = ChooseDataFolder(QStringLiteral("/usr/bin"), xdg + u'/', home);
    QCOMPARE(choice.folder, xdg + QStringLiteral("/velmora"));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(choice.folder).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    QVERIFY(::stat(QFile::encodeName(xdg).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);

    // An empty or relative XDG_DATA_HOME counts as unset.
    for (const QString& ignored : {QString(), QStringLiteral("relative/data")}) {
        choice = ChooseDataFolder(QStringLiteral("/usr/lib/velmora"), ignored, home);
        QCOMPARE(choice.folder, home + QStringLiteral("/.local/share/velmora"));
        QVERIFY(QFileInfo(choice.folder).isDir());
    }
    QVERIFY(!QFileInfo::exists(QStringLiteral("relative")));

    // Neither folder usable: no folder, and a message naming the one that failed.
    const QString blocked = Path(QStringLiteral("a-file"));
    WriteBytes(blocked, "x");
    choice = ChooseDataFolder(QStringLiteral("/usr/bin"), blocked, home);
    QVERIFY(choice.folder.isEmpty());
    QVERIFY2(choice.failure.contains(blocked + QStringLiteral("/velmora")),
             qPrintable(choice.failure));

    // A program folder on a read-only volume, which not even root can write to.
    if (!IsRoot())
        return;
    QTemporaryDir mountPoint;
    TmpfsMount volume(mountPoint.path(), "1m");
    if (!volume.Mounted() || !volume.MakeReadOnly())
        QSKIP("this machine refuses tmpfs mounts");
    choice = ChooseDataFolder(mountPoint.path(), xdg, home);
    QCOMPARE(choice.folder, xdg + QStringLiteral("/velmora"));
}

QTEST_GUILESS_MAIN(FilesTest)
#include "FilesTest.moc"
