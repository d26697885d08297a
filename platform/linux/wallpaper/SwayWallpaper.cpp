// SPDX-License-Identifier: MIT
#include "SwayWallpaper.h"

#include "PlatformError.h"
#include "RunCommand.h"

#include <QFileInfo>

namespace velmora::linux_impl {

namespace {

constexpr int kTimeoutMs = 10000;

// swaymsg joins its arguments into one command line, which sway splits into words again
// (honouring quotes), and sway then runs the picture's name through wordexp(3). The name is
// put in double quotes for sway's split and in single quotes for wordexp, with a quote or
// a space of the name itself written outside them. A space is never left beside another
// one: sway would escape the pair with a backslash, which the single quotes would keep.
QString QuotedForSway(const QString& path) {
    QString result = QStringLiteral("\"'");
    for (const QChar c : path) {
        if (c == u'\'')
            result += QStringLiteral("'\\''");
        else if (c == u'"')
            result += QStringLiteral("'\\\"'");
        else if (c == u' ')
            result += QStringLiteral("'\\ '");
        else
            result += c;
    }
    result += QStringLiteral("'\"");
    return result;
}

} // namespace

QStringList SwaymsgArguments(const QString& bmpPath) {
    if (bmpPath.isEmpty())
        return {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                QStringLiteral("#000000"), QStringLiteral("solid_color")};
    // A line break or another control character cannot survive sway's command parser.
    for (const QChar c : bmpPath) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            throw PlatformError(Err::BadFileName);
    }
    return {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
            QuotedForSway(bmpPath), QStringLiteral("fill")};
}

void SwayWallpaper::Set(const QString& bmpPath, int flags) {
    // sway keeps the background of the running session only; its config file is the user's
    // and nothing else stores it, so flags 3 at the end changes the screen as 0 does. sway
    // starts a new swaybg that reads the file again at every bg command, so the same name
    // shows the new picture.
    Q_UNUSED(flags);
    QString file;
    if (!bmpPath.isEmpty()) {
        if (!QFileInfo::exists(bmpPath))
            throw PlatformError(Err::FileNotFound);
        file = QFileInfo(bmpPath).absoluteFilePath();
    }
    RunCommand(QStringLiteral("swaymsg"), SwaymsgArguments(file), kTimeoutMs);
}

} // namespace velmora::linux_impl
