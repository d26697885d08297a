// The real program started twice under an X server: the second start ends at once,
// silently, and a killed first run does not block the next start.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Top-level windows titled "Mosswick" that the X server maps.
int VisibleChangerWindows() {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  QStringLiteral("^Mosswick$")});
    search.waitForFinished(10000);
    return QString::fromUtf8(search.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).size();
}

bool WaitForWindows(int count) {
    for (int i = 0; i < 100; ++i) {
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

    void Start(QProcess& process) {
        process.setProgram(program_);
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
};

QTEST_GUILESS_MAIN(SecondInstanceTest)
#include "SecondInstanceTest.moc"
