// SPDX-License-Identifier: MIT
// A save of the list file with one system call failing, injected by libfiu (fiu-run -x):
// open, write, fsync, close and rename, each with errors the disk or the kernel can give.
// Every failure must be reported with its error number and leave the old list byte-identical
// and no temporary file behind.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

const QByteArray kOldList = "\"/ [root]\",/home/me,0\r\n/home/me/,old.bmp,/home/me/old.bmp,0\r\n";

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class InjectedFailuresTest : public QObject {
    Q_OBJECT

    QString fiuRun_;

    // Runs the save driver on a fresh folder holding the old list; its exit code.
    int Save(QTemporaryDir& dir, const QStringList& fiuCommands) {
        WriteBytes(dir.path() + "/Kabegamilist.def", kOldList);
        return RunDriver(dir, fiuCommands, {});
    }

    int RunDriver(QTemporaryDir& dir, const QStringList& fiuCommands, const QStringList& driverArgs,
                  QByteArray* output = nullptr) {
        QStringList args{QStringLiteral("-x"), QStringLiteral("-f"), QString()};
        for (const QString& command : fiuCommands)
            args << QStringLiteral("-c") << command;
        // fiu-run sets its own preload list; a sanitized driver needs its runtime loaded
        // first, so a shell puts it in front.
        const QString sanitizerRuntime = QStringLiteral(VELMORA_SANITIZER_RUNTIME);
        if (!sanitizerRuntime.isEmpty())
            args << QStringLiteral("/bin/sh") << QStringLiteral("-c")
                 << QStringLiteral("LD_PRELOAD=\"$0 $LD_PRELOAD\" exec \"$@\"") << sanitizerRuntime;
        args << QStringLiteral(VELMORA_SAVE_DRIVER) << dir.path() << driverArgs;
        QProcess driver;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // fiu's preload keeps its settings for the life of the process: a known leak.
        env.insert("LSAN_OPTIONS", env.value("LSAN_OPTIONS") +
                                       QStringLiteral(":suppressions=" VELMORA_LSAN_SUPPRESSIONS));
        driver.setProcessEnvironment(env);
        driver.start(fiuRun_, args);
        if (!driver.waitForFinished(60000) || driver.exitStatus() != QProcess::NormalExit) {
            qWarning("%s", driver.readAllStandardError().constData());
            return -1;
        }
        if (output != nullptr)
            *output = driver.readAllStandardOutput();
        const QByteArray errors = driver.readAllStandardError();
        if (!errors.isEmpty())
            qInfo("driver: %s", errors.constData());
        return driver.exitCode();
    }

  private Q_SLOTS:
    void initTestCase() {
        fiuRun_ = QStandardPaths::findExecutable(QStringLiteral("fiu-run"));
        if (fiuRun_.isEmpty())
            QSKIP("fiu-run is not installed (Debian package fiu-utils)");
    }

    // Without a fault the driver saves: the injected cases below fail for their fault alone.
    void savesWithoutFaults() {
        QTemporaryDir dir;
        QCOMPARE(Save(dir, {}), 0);
        const QByteArray saved = Bytes(dir.path() + "/Kabegamilist.def");
        QVERIFY(saved != kOldList);
        QVERIFY(saved.contains("sea.jpg"));
    }

    void eachFailureIsReportedAndTheOldListKept_data() {
        QTest::addColumn<QString>("point");
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("number");
        const QList<std::tuple<const char*, int, int>> cases{
            {"posix/io/oc/open", EACCES, 70},    {"posix/io/oc/open", EROFS, 75},
            {"posix/io/oc/open", ENOSPC, 61},    {"posix/io/oc/open", EDQUOT, 61},
            {"posix/io/oc/open", EMFILE, 75},    {"posix/io/rw/write", ENOSPC, 61},
            {"posix/io/rw/write", EDQUOT, 61},   {"posix/io/rw/write", EIO, 57},
            {"posix/io/rw/write", EFBIG, 75},    {"posix/io/sync/fsync", EIO, 57},
            {"posix/io/sync/fsync", ENOSPC, 61}, {"posix/io/oc/close", EIO, 57},
            {"posix/io/oc/close", ENOSPC, 61},   {"posix/io/dir/rename", EACCES, 70},
            {"posix/io/dir/rename", EIO, 57},    {"posix/io/dir/rename", ENOSPC, 61},
            {"posix/io/dir/rename", EROFS, 75},  {"posix/io/dir/rename", EBUSY, 75},
        };
        for (const auto& [point, err, number] : cases)
            QTest::addRow("%s %s", point, strerrorname_np(err)) << point << err << number;
    }
    void eachFailureIsReportedAndTheOldListKept() {
        QFETCH(QString, point);
        QFETCH(int, err);
        QFETCH(int, number);
        QTemporaryDir dir;
        QCOMPARE(Save(dir, {QStringLiteral("enable name=%1,failinfo=%2").arg(point).arg(err)}),
                 number);
        QCOMPARE(Bytes(dir.path() + "/Kabegamilist.def"), kOldList);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Kabegamilist.def"});
    }

    // Every error each call is documented to give. Three are left out on purpose: an
    // interrupted write is retried, and so is an interrupted open in Qt's own file code (the
    // warning an unusual error logs reads Qt's logging settings), so failing for ever they
    // would never end; an interrupted close after a good fsync loses nothing (below).
    void everyDocumentedErrorIsReported_data() {
        QTest::addColumn<QString>("point");
        QTest::addColumn<int>("err");
        const QList<QPair<const char*, QList<int>>> cases{
            {"posix/io/oc/open",
             {EACCES, EDQUOT,       EEXIST, EFAULT, EFBIG,   EINVAL,     EISDIR, ELOOP,
              EMFILE, ENAMETOOLONG, ENFILE, ENODEV, ENOENT,  ENOMEM,     ENOSPC, ENOTDIR,
              ENXIO,  EOVERFLOW,    EPERM,  EROFS,  ETXTBSY, EWOULDBLOCK}},
            {"posix/io/rw/write",
             {EAGAIN, EBADF, EDQUOT, EFAULT, EFBIG, EINVAL, EIO, ENOSPC, EPERM, EPIPE}},
            {"posix/io/sync/fsync", {EBADF, EDQUOT, EINVAL, EIO, ENOSPC, EROFS}},
            {"posix/io/oc/close", {EBADF, EDQUOT, EIO, ENOSPC}},
            {"posix/io/dir/rename",
             {EACCES, EBUSY, EDQUOT, EEXIST, EFAULT, EINVAL, EISDIR, ELOOP, EMLINK, ENAMETOOLONG,
              ENOENT, ENOMEM, ENOSPC, ENOTDIR, ENOTEMPTY, EPERM, EROFS, EXDEV}},
        };
        for (const auto& [point, errors] : cases) {
            for (int err : errors)
                QTest::addRow("%s %s", point, strerrorname_np(err)) << point << err;
        }
    }
    void everyDocumentedErrorIsReported() {
        QFETCH(QString, point);
        QFETCH(int, err);
        QTemporaryDir dir;
        const int code =
            Save(dir, {QStringLiteral("enable name=%1,failinfo=%2").arg(point).arg(err)});
        QVERIFY2(code > 0 && code < 200, qPrintable(QString::number(code)));
        QCOMPARE(Bytes(dir.path() + "/Kabegamilist.def"), kOldList);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Kabegamilist.def"});
    }

    // A read failing part-way through a long list: the entries read whole before it stay,
    // the failure is reported, and the next save keeps the whole old file beside the list.
    void failingReadKeepsWholeEntriesAndTheFile() {
        QTemporaryDir dir;
        QByteArray list = "\"/ [root]\",/home/me,0\r\n";
        int whole = -1; // entries that end within the first read of 1 MiB
        for (int i = 0; list.size() < 1500000; ++i) {
            list +=
                QStringLiteral("/home/me/写真/,%1.bmp,/home/me/写真/%1.bmp,0\r\n").arg(i).toUtf8();
            if (list.size() <= 1048576)
                whole = i + 1;
        }
        WriteBytes(dir.path() + "/Kabegamilist.def", list);
        QByteArray output;
        QCOMPARE(RunDriver(dir, {}, {QStringLiteral("--load-failing-read")}, &output), 57);
        QCOMPARE(output.trimmed(), "entries " + QByteArray::number(whole));
        QCOMPARE(Bytes(dir.path() + "/Kabegamilist.def.bak"), list);
        const QByteArray saved = Bytes(dir.path() + "/Kabegamilist.def");
        QCOMPARE(saved.count("\r\n"), whole + 2);
        const QByteArray added = "/home/me/,new.bmp,/home/me/new.bmp,0\r\n";
        QVERIFY(saved.endsWith(added));
        const auto entries = [](const QByteArray& file) {
            return file.mid(file.indexOf('\n') + 1);
        };
        QVERIFY(entries(list).startsWith(entries(saved).chopped(added.size())));
    }

    // Linux frees the descriptor even when close is interrupted, and the data was flushed
    // before it: the save stands.
    void anInterruptedCloseAfterTheFlushIsNoFailure() {
        QTemporaryDir dir;
        QCOMPARE(
            Save(dir, {QStringLiteral("enable name=posix/io/oc/close,failinfo=%1").arg(EINTR)}), 0);
        QVERIFY(Bytes(dir.path() + "/Kabegamilist.def").contains("sea.jpg"));
    }
};

QTEST_GUILESS_MAIN(InjectedFailuresTest)
#include "InjectedFailuresTest.moc"
