#include "InstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora::linux_impl;

namespace {

// The test program doubles as a second instance: run with one of these as its first
// argument and a lock path as its second, it acts on the lock and reports on stdout.
constexpr const char* kHoldMode = "--hold-lock";          // take it, then wait to be killed
constexpr const char* kHoldAndSpawnMode = "--hold-spawn"; // also start a long-lived child
constexpr const char* kProbeMode = "--probe-lock";        // say "held" or "free", then end

int RunHelper(const QString& mode, const QString& lockPath) {
    InstanceLock lock(lockPath);
    const bool held = lock.HeldByAnother();
    if (mode == QLatin1String(kProbeMode)) {
        std::printf(held ? "held\n" : "free\n");
        return 0;
    }
    if (held)
        return 3;
    if (mode == QLatin1String(kHoldAndSpawnMode)) {
        qint64 pid = 0;
        if (!QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("60")}, {}, &pid))
            return 4;
        std::printf("child %lld\n", static_cast<long long>(pid));
    }
    std::printf("locked\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

class InstanceLockTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void secondProcessSeesLockUntilFirstIsKilled();
    void childProgramsDoNotKeepLock();
    void defaultPathIsPerUserAndPrivate();

  private:
    // Starts a helper holding the lock and waits until it has it; its stdout lines so far.
    QStringList StartHolder(QProcess& holder, const char* mode);
    QString Probe();

    QTemporaryDir dir_;
    QString lockPath_ = dir_.filePath(QStringLiteral("velmora-test.lock"));
};

QStringList InstanceLockTest::StartHolder(QProcess& holder, const char* mode) {
    holder.start(QCoreApplication::applicationFilePath(), {QLatin1String(mode), lockPath_});
    QStringList lines;
    while (!lines.contains(QStringLiteral("locked")) && holder.waitForReadyRead(10000)) {
        while (holder.canReadLine())
            lines << QString::fromUtf8(holder.readLine()).trimmed();
    }
    return lines;
}

QString InstanceLockTest::Probe() {
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(), {QLatin1String(kProbeMode), lockPath_});
    if (!probe.waitForFinished(10000))
        return QStringLiteral("no answer");
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

void InstanceLockTest::secondProcessSeesLockUntilFirstIsKilled() {
    QVERIFY(dir_.isValid());
    QCOMPARE(Probe(), QStringLiteral("free"));
    QProcess holder;
    QVERIFY(StartHolder(holder, kHoldMode).contains(QStringLiteral("locked")));

    InstanceLock second(lockPath_);
    QVERIFY(second.HeldByAnother());
    QCOMPARE(Probe(), QStringLiteral("held"));

    holder.kill(); // SIGKILL: no chance to clean up
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(holder.exitStatus(), QProcess::CrashExit);

    QVERIFY(!second.HeldByAnother()); // free again: this run takes it
    QVERIFY(!second.HeldByAnother()); // asking again while holding it changes nothing
    QCOMPARE(Probe(), QStringLiteral("held"));
}

void InstanceLockTest::childProgramsDoNotKeepLock() {
    QProcess holder;
    const QStringList lines = StartHolder(holder, kHoldAndSpawnMode);
    QVERIFY2(lines.contains(QStringLiteral("locked")), qPrintable(lines.join(u'|')));
    const QString childLine = lines.filter(QStringLiteral("child ")).value(0);
    const pid_t child = childLine.section(u' ', 1).toInt();
    QVERIFY(child > 0);
    QCOMPARE(Probe(), QStringLiteral("held"));

    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
    // The program it started lives on, yet the lock is gone with its owner.
    QVERIFY(::kill(child, 0) == 0);
    QCOMPARE(Probe(), QStringLiteral("free"));
    ::kill(child, SIGKILL);
}

void InstanceLockTest::defaultPathIsPerUserAndPrivate() {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString uid = QString::number(::getuid());

    QTemporaryDir runtime; // made private (0700) by QTemporaryDir
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString inRuntime = DefaultInstanceLockPath();
    QCOMPARE(QFileInfo(inRuntime).absolutePath(), runtime.path());
    QVERIFY(QFileInfo(inRuntime).fileName().contains(uid));

    // A runtime folder others could write to is not trusted with the lock.
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0777) == 0);
    const QString notShared = DefaultInstanceLockPath();
    qunsetenv("XDG_RUNTIME_DIR");
    const QString withoutRuntime = DefaultInstanceLockPath();
    qputenv("XDG_RUNTIME_DIR", saved);

    QCOMPARE(notShared, withoutRuntime);
    QVERIFY(!withoutRuntime.startsWith(runtime.path()));
    QVERIFY(withoutRuntime.contains(uid));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(QFileInfo(withoutRuntime).absolutePath()).constData(), &st) ==
            0);
    QCOMPARE(st.st_uid, ::getuid());
    QCOMPARE(st.st_mode & 0077, 0u);

    // Two locks in one process exclude each other as well.
    const QString path = dir_.filePath(QStringLiteral("in-process.lock"));
    InstanceLock first(path);
    QVERIFY(!first.HeldByAnother());
    InstanceLock second(path);
    QVERIFY(second.HeldByAnother());
}

int main(int argc, char* argv[]) {
    if (argc == 3 && argv[1][0] == '-' && QByteArray(argv[1]) != "--") {
        const QString mode = QString::fromLocal8Bit(argv[1]);
        if (mode == QLatin1String(kHoldMode) || mode == QLatin1String(kHoldAndSpawnMode) ||
            mode == QLatin1String(kProbeMode)) {
            QCoreApplication app(argc, argv);
            return RunHelper(mode, QString::fromLocal8Bit(argv[2]));
        }
    }
    QCoreApplication app(argc, argv);
    InstanceLockTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "InstanceLockTest.moc"
