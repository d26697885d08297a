// SPDX-License-Identifier: MIT
#include "InstanceLock.h"
#include "PlatformError.h"

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
// argument and a locked folder as its second, it acts on the lock and reports on stdout.
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
    void lockBelongsToTheFolderNotTheEnvironment();

  private:
    // Starts a helper holding the lock and waits until it has it; its stdout lines so far.
    QStringList StartHolder(QProcess& holder, const char* mode);
    QString
    Probe(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    QTemporaryDir dir_;
    QString lockPath_ = dir_.path();
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

QString InstanceLockTest::Probe(const QProcessEnvironment& environment) {
    QProcess probe;
    probe.setProcessEnvironment(environment);
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

void InstanceLockTest::lockBelongsToTheFolderNotTheEnvironment() {
    QProcess holder;
    QVERIFY(StartHolder(holder, kHoldMode).contains(QStringLiteral("locked")));

    // Started from su, cron or a remote login: other runtime, home and temporary folders.
    QTemporaryDir elsewhere;
    QProcessEnvironment other = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "TMPDIR"})
        other.insert(QLatin1String(name), elsewhere.path());
    other.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QCOMPARE(Probe(other), QStringLiteral("held"));
    other.insert(QStringLiteral("XDG_RUNTIME_DIR"), elsewhere.path());
    QCOMPARE(Probe(other), QStringLiteral("held"));

    // Another program folder is another list: no conflict. Nor does the lock need to write.
    QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0555) == 0);
    InstanceLock readOnly(elsewhere.path());
    QVERIFY(!readOnly.HeldByAnother());
    InstanceLock second(elsewhere.path()); // in one process too, two locks exclude each other
    QVERIFY(second.HeldByAnother());
    QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700) == 0);
    QCOMPARE(
        QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList());

    // A lock that cannot be taken is an error, never taken for "not running".
    InstanceLock missing(elsewhere.filePath(QStringLiteral("gone")));
    QVERIFY_THROWS_EXCEPTION(velmora::PlatformError, missing.HeldByAnother());

    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(Probe(other), QStringLiteral("free"));
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
