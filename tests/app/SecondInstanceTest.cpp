// SPDX-License-Identifier: MIT
// The real program started twice under an X server: the second start ends at once,
// silently, whatever environment it was started from, and a killed first run does not block
// the next start. A program folder whose name cannot be used stops the start with a message.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Top-level windows titled "Mosswick" that the X server maps.
int VisibleChangerWindows() {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), QStringLiteral("^Mosswick$")});
    search.waitForFinished(10000);
    return QString::fromUtf8(search.readAllStandardOutput())
        .split(u'\n', Qt::SkipEmptyParts)
        .size();
}

// Visible top-level windows of one process.
QStringList VisibleWindowsOf(qint64 pid) {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--pid"), QString::number(pid)});
    search.waitForFinished(10000);
    return QString::fromUtf8(search.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

bool WaitForWindows(int count) {
    for (int i = 0; i < 600; ++i) { // polls for up to a minute
        if (VisibleChangerWindows() == count)
            return true;
        QTest::qWait(100);
    }
    return false;
}

} // namespace

class SecondInstanceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString program_;

    void Start(QProcess& process, const QString& program = {}) {
        process.setProgram(program.isEmpty() ? program_ : program);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start();
        QVERIFY(process.waitForStarted());
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY(!qEnvironmentVariableIsEmpty("DISPLAY"));
        program_ = dir_.path() + "/velmora";
        QVERIFY(QFile::copy(QStringLiteral(VELMORA_BINARY), program_));
    }

    void secondStartEndsSilently() {
        QProcess first;
        Start(first);
        QVERIFY2(WaitForWindows(1), "the first start showed no window");

        QProcess second;
        Start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(VisibleChangerWindows(), 1);
        QCOMPARE(first.state(), QProcess::Running);

        // A crashed run leaves no lock behind.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(WaitForWindows(0));
        QProcess third;
        Start(third);
        QVERIFY2(WaitForWindows(1), "a start after a killed run showed no window");
        third.kill();
        third.waitForFinished(10000);
    }

    void secondStartFromAnotherEnvironmentEndsToo() {
        QProcess first;
        Start(first);
        QVERIFY2(WaitForWindows(1), "the first start showed no window");

        // As from su, cron or a remote login: other runtime, home and temporary folders.
        QTemporaryDir elsewhere;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "TMPDIR"})
            environment.insert(QLatin1String(name), elsewhere.path());
        QProcess second;
        second.setProcessEnvironment(environment);
        Start(second);
        const bool ended = second.waitForFinished(10000);
        if (!ended)
            second.kill();
        second.waitForFinished(10000);
        first.kill();
        first.waitForFinished(10000);
        QVERIFY2(ended, "a second program ran on the same folder");
        QCOMPARE(second.exitCode(), 0);
    }

    void folderNameThatCannotBeUsedStopsTheStart() {
        // Unpacked from an old archive: the folder's name is Latin-1, no UTF-8.
        const QByteArray folder = QFile::encodeName(dir_.path()) + "/caf\xE9";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        QVERIFY(::link(QFile::encodeName(program_).constData(),
                       (folder + "/velmora").constData()) == 0);
        const bool rootPicBefore = QFileInfo::exists(QStringLiteral("/Pic"));

        // Qt cannot name such a file: the shell starts it by its bytes.
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.setProgram(QStringLiteral("/bin/sh"));
        run.setArguments({QStringLiteral("-c"),
                          QStringLiteral("exec \"$0/$(printf 'caf\\351')/velmora\""), dir_.path()});
        run.start();
        QVERIFY(run.waitForStarted());
        QStringList windows;
        for (int i = 0; i < 600 && windows.isEmpty(); ++i) { // up to a minute
            QTest::qWait(100);
            windows = VisibleWindowsOf(run.processId());
        }
        const int changerWindows = VisibleChangerWindows();
        if (!windows.isEmpty()) {
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                               windows.first(), QStringLiteral("key"), QStringLiteral("Return")});
        }
        const bool ended = run.waitForFinished(10000);
        if (!ended)
            run.kill();
        run.waitForFinished(10000);
        const bool rootPicAfter = QFileInfo::exists(QStringLiteral("/Pic"));
        if (rootPicAfter && !rootPicBefore)
            QDir(QStringLiteral("/")).rmdir(QStringLiteral("Pic"));

        QCOMPARE(windows.size(), 1); // the message
        QCOMPARE(changerWindows, 0); // and no changer window
        QVERIFY(ended);
        QCOMPARE(run.exitCode(), 1);
        QCOMPARE(rootPicAfter, rootPicBefore);
        struct stat st {};
        QVERIFY(::stat((folder + "/Pic").constData(), &st) != 0);
    }
};

QTEST_GUILESS_MAIN(SecondInstanceTest)
#include "SecondInstanceTest.moc"
