// SPDX-License-Identifier: MIT
#include "wallpaper/RunCommand.h"
#include "PlatformError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <csignal>

using namespace velmora;
using namespace velmora::linux_impl;

class RunCommandTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // Each argument reaches the program as one word, exactly: no shell sees it.
    void argumentsPassUnchanged() {
        const QStringList words{
            QStringLiteral("a b"),   QStringLiteral("it's"),        QStringLiteral("\"q\""),
            QStringLiteral("$HOME"), QStringLiteral("`id`"),        QStringLiteral("; ls *"),
            QStringLiteral("壁紙"),  QStringLiteral("back\\slash"), QString()};
        const QByteArray output =
            RunCommand(QStringLiteral("printf"), QStringList{QStringLiteral("%s|")} + words, 5000);
        QCOMPARE(QString::fromUtf8(output), words.join(u'|') + u'|');
    }

    void missingProgramIsNamed() {
        for (const QString& program : {QStringLiteral("velmora-no-such-tool"),
                                       QStringLiteral("/nonexistent/velmora-no-such-tool")}) {
            try {
                RunCommand(program, {}, 2000);
                QFAIL("no error for a missing program");
            } catch (const PlatformError& e) {
                QCOMPARE(e.Number, Err::NotSupported);
                QVERIFY2(QString::fromStdString(e.Description).contains(program),
                         e.Description.c_str());
            }
            try {
                StartDetached(program, {});
                QFAIL("no error for a missing program started detached");
            } catch (const PlatformError& e) {
                QCOMPARE(e.Number, Err::NotSupported);
                QVERIFY2(QString::fromStdString(e.Description)
                             .contains(QLatin1String("velmora-no-such-tool")),
                         e.Description.c_str());
            }
        }
    }

    // A failing exit is an error that says what the program said.
    void failingExitCarriesItsMessage() {
        try {
            RunCommand(QStringLiteral("ls"), {QStringLiteral("/nonexistent-velmora-path")}, 5000);
            QFAIL("no error for a failing exit");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::DeviceIO);
            QVERIFY2(QString::fromStdString(e.Description).contains(QLatin1String("ls")),
                     e.Description.c_str());
            QVERIFY2(QString::fromStdString(e.Description)
                         .contains(QLatin1String("/nonexistent-velmora-path")),
                     e.Description.c_str());
        }
    }

    void timeLimitIsEnforced() {
        QElapsedTimer clock;
        clock.start();
        try {
            RunCommand(QStringLiteral("sleep"), {QStringLiteral("5")}, 300);
            QFAIL("no error for a program that does not end in time");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::DeviceIO);
            QVERIFY2(QString::fromStdString(e.Description).contains(QLatin1String("sleep")),
                     e.Description.c_str());
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    // A detached program runs on its own; the id returned is its own.
    void detachedProgramRuns() {
        const qint64 pid = StartDetached(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(pid > 0);
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QVERIFY(comm.open(QIODevice::ReadOnly));
        QCOMPARE(comm.readAll().trimmed(), QByteArray("sleep"));
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
};

QTEST_GUILESS_MAIN(RunCommandTest)
#include "RunCommandTest.moc"
