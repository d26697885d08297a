#include "DesktopDetect.h"

#include <QStringList>

#include <optional>

namespace velmora::linux_impl {

namespace {

// XDG_CURRENT_DESKTOP names, compared in lower case.
std::optional<DesktopKind> KindOfDesktopName(const QString& name) {
    static const QStringList gnomeFamily = {
        QStringLiteral("gnome"),           QStringLiteral("gnome-classic"),
        QStringLiteral("gnome-flashback"), QStringLiteral("budgie"),
        QStringLiteral("budgie-desktop"),  QStringLiteral("unity"),
        QStringLiteral("pantheon"),
    };
    if (gnomeFamily.contains(name))
        return DesktopKind::Gnome;
    return std::nullopt;
}

// Session names (XDG_SESSION_DESKTOP, DESKTOP_SESSION) carry variants such as
// "gnome-xorg", "ubuntu-wayland" or "gnome-flashback-metacity".
std::optional<DesktopKind> KindOfSessionName(const QString& name) {
    static const QStringList gnomePrefixes = {
        QStringLiteral("gnome"), QStringLiteral("ubuntu"),   QStringLiteral("budgie"),
        QStringLiteral("unity"), QStringLiteral("pantheon"),
    };
    for (const QString& prefix : gnomePrefixes) {
        if (name == prefix || name.startsWith(prefix + QLatin1Char('-')))
            return DesktopKind::Gnome;
    }
    return std::nullopt;
}

QString LowerValue(const QProcessEnvironment& env, const char* name) {
    return env.value(QString::fromLatin1(name)).trimmed().toLower();
}

} // namespace

DesktopKind DetectDesktop(const QProcessEnvironment& env) {
    // The first known entry wins: "ubuntu:GNOME" is GNOME, "Budgie:GNOME" is Budgie.
    const QStringList current =
        LowerValue(env, "XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : current) {
        if (auto kind = KindOfDesktopName(name.trimmed()))
            return *kind;
    }
    for (const char* variable : {"XDG_SESSION_DESKTOP", "DESKTOP_SESSION"}) {
        QString session = LowerValue(env, variable);
        // DESKTOP_SESSION may be a path to the session's .desktop file.
        session = session.section(QLatin1Char('/'), -1);
        if (session.endsWith(QLatin1String(".desktop")))
            session.chop(8);
        if (auto kind = KindOfSessionName(session))
            return *kind;
    }
    // Under an unknown Wayland compositor DISPLAY names XWayland, whose root window nobody
    // sees: setting it would look like success and change nothing.
    const QString sessionType = LowerValue(env, "XDG_SESSION_TYPE");
    const bool wayland = sessionType == QLatin1String("wayland") ||
                         (sessionType != QLatin1String("x11") &&
                          !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty());
    if (!wayland && !env.value(QStringLiteral("DISPLAY")).isEmpty())
        return DesktopKind::X11Root;
    return DesktopKind::Unsupported;
}

} // namespace velmora::linux_impl
