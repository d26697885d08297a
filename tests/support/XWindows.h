// SPDX-License-Identifier: MIT
#pragma once
// Windows on the test's X server as the server and the window manager have them, read with
// the X tools rather than through Qt, whose idea of them can lag behind.
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::test {

inline QString RunXTool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

inline QString Xdotool(const QStringList& arguments) {
    return RunXTool(QStringLiteral("xdotool"), arguments);
}

// The client area of a window on the screen, as xwininfo reports it.
inline QRect ClientOnScreen(const QString& window) {
    int values[4] = {0, 0, 0, 0};
    const char* keys[4] = {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"};
    const QString info = RunXTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    for (const QString& raw : info.split(u'\n')) {
        const QString line = raw.trimmed();
        for (int i = 0; i < 4; ++i) {
            if (line.startsWith(QLatin1String(keys[i])))
                values[i] = line.section(u':', 1).trimmed().toInt();
        }
    }
    return QRect(values[0], values[1], values[2], values[3]);
}

// The window with the frame its window manager announces, or nothing before it has.
inline std::optional<QRect> FrameOnScreen(const QString& window) {
    const QStringList extents =
        RunXTool(QStringLiteral("xprop"),
                 {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")})
            .section(u'=', 1)
            .split(u',');
    if (extents.size() != 4)
        return std::nullopt;
    int sides[4]; // left, right, top, bottom
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        sides[i] = extents[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return ClientOnScreen(window).marginsAdded(QMargins(sides[0], sides[2], sides[1], sides[3]));
}

} // namespace velmora::test
