// SPDX-License-Identifier: MIT
// The real program on an X server, with or without a window manager: the changer window
// starts at the bottom-left corner of the screen, and once the user has moved it, it stays.
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    xdotool.waitForFinished(10000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

// The client area of a window on the screen, as xwininfo reports it.
QRect Geometry(const QString& window) {
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    xwininfo.waitForFinished(10000);
    int values[4] = {0, 0, 0, 0};
    const char* keys[4] = {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"};
    for (const QString& raw : QString::fromUtf8(xwininfo.readAllStandardOutput()).split(u'\n')) {
        const QString line = raw.trimmed();
        for (int i = 0; i < 4; ++i) {
            if (line.startsWith(QLatin1String(keys[i])))
                values[i] = line.section(u':', 1).trimmed().toInt();
        }
    }
    return QRect(values[0], values[1], values[2], values[3]);
}

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
            start = Geometry(window);
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
            moved = Geometry(window);
            return qAbs(moved.x() - 300) <= 30 && qAbs(moved.y() - 200) <= 40;
        }));
        Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                 QString::number(moved.x() + 60), QString::number(moved.y() + 12),
                 QStringLiteral("click"), QStringLiteral("1")});
        const QString registration = WaitForWindow(QStringLiteral("^壁紙リスト登録$"));
        const QRect after = Geometry(window);
        run.kill();
        run.waitForFinished(10000);
        QVERIFY2(!registration.isEmpty(), "the click did not reach the moved window");
        QCOMPARE(after.topLeft(), moved.topLeft());
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "WindowPlacementTest.moc"
