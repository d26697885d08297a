// SPDX-License-Identifier: MIT
// The real program on an X server, with or without a window manager: the changer window
// starts at the bottom-left corner of the screen, and once the user has moved it, it stays.
#include "XWindows.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

namespace {

using velmora::test::ClientOnScreen;
using velmora::test::Xdotool;

QString WaitForWindow(const QString& name) {
    for (int i = 0; i < 600; ++i) { // polls for up to a minute
        const QString found = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), name})
                                  .section(u'\n', 0, 0);
        if (!found.isEmpty())
            return found;
        QTest::qWait(100);
    }
    return {};
}

} // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

  private Q_SLOTS:
    void movedWindowStaysWhereTheUserPutIt() {
        QVERIFY(!qEnvironmentVariableIsEmpty("DISPLAY"));
        const QString program = dir_.path() + "/velmora";
        QVERIFY(QFile::copy(QStringLiteral(VELMORA_BINARY), program));
        QProcess run;
        run.setProgram(program);
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start();
        QVERIFY(run.waitForStarted());
        const QString window = WaitForWindow(QStringLiteral("^Mosswick$"));
        QVERIFY2(!window.isEmpty(), "the program showed no window");

        // At the start: at the left edge, on the bottom edge (a frame's border at most apart).
        const QSize screen(1024, 768);
        QRect start;
        const bool placed = QTest::qWaitFor([&] {
            start = ClientOnScreen(window);
            return start.x() >= 0 && start.x() <= 8 && start.bottom() < screen.height() &&
                   screen.height() - 1 - start.bottom() <= 8;
        });
        QVERIFY2(placed, qPrintable(QStringLiteral("placed at %1,%2 %3x%4")
                                        .arg(start.x())
                                        .arg(start.y())
                                        .arg(start.width())
                                        .arg(start.height())));

        // Moved by the user; then the hammer is clicked where the window now is. The program
        // has seen the move before it sees the click, so a snap back would have happened.
        Xdotool({QStringLiteral("windowmove"), QStringLiteral("--sync"), window,
                 QStringLiteral("300"), QStringLiteral("200")});
        QRect moved;
        QVERIFY(QTest::qWaitFor([&] {
            moved = ClientOnScreen(window);
            return qAbs(moved.x() - 300) <= 30 && qAbs(moved.y() - 200) <= 40;
        }));
        Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                 QString::number(moved.x() + 60), QString::number(moved.y() + 12),
                 QStringLiteral("click"), QStringLiteral("1")});
        const QString registration = WaitForWindow(QStringLiteral("^壁紙リスト登録$"));
        const QRect after = ClientOnScreen(window);
        run.kill();
        run.waitForFinished(10000);
        QVERIFY2(!registration.isEmpty(), "the click did not reach the moved window");
        QCOMPARE(after.topLeft(), moved.topLeft());
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "WindowPlacementTest.moc"
