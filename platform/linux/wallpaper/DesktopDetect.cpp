// SPDX-License-Identifier: MIT
#include "DesktopDetect.h"

#include <QList>
#include <QStringList>

#include <utility>

#include <optional>

namespace velmora::linux_impl {

namespace {

// XDG_CURRENT_DESKTOP names, compared in lower case.
std::optional<DesktopKind> KindOfDesktopName(const QString& name) {
    static const QList<std::pair<QStringList, DesktopKind>> names = {
        {{QStringLiteral("gnome"), QStringLiteral("gnome-classic"),
          QStringLiteral("gnome-flashback"), QStringLiteral("budgie"),
          QStringLiteral("budgie-desktop"), QStringLiteral("unity"), QStringLiteral("pantheon")},
         DesktopKind::Gnome},
        {{QStringLiteral("x-cinnamon"), QStringLiteral("cinnamon")}, DesktopKind::Cinnamon},
        {{QStringLiteral("mate")}, DesktopKind::Mate},
        {{QStringLiteral("deepin"), QStringLiteral("dde")}, DesktopKind::Deepin},
        {{QStringLiteral("kde")}, DesktopKind::Plasma},
        {{QStringLiteral("xfce")}, DesktopKind::Xfce},
        {{QStringLiteral("lxde")}, DesktopKind::Lxde},
        {{QStringLiteral("lxqt")}, DesktopKind::Lxqt},
        {{QStringLiteral("sway")}, DesktopKind::Sway},
        {{QStringLiteral("hyprland"), QStringLiteral("river"), QStringLiteral("wayfire"),
          QStringLiteral("labwc"), QStringLiteral("wlroots")},
         DesktopKind::Wlroots},
    };
    for (const auto& [list, kind] : names) {
        if (list.contains(name))
            return kind;
    }
    return std::nullopt;
}

// Session names (XDG_SESSION_DESKTOP, DESKTOP_SESSION) carry variants such as
// "gnome-xorg", "ubuntu-wayland", "plasmawayland" or "gnome-flashback-metacity".
std::optional<DesktopKind> KindOfSessionName(const QString& name) {
    static const QList<std::pair<QString, DesktopKind>> prefixes = {
        {QStringLiteral("gnome"), DesktopKind::Gnome},
        {QStringLiteral("ubuntu"), DesktopKind::Gnome},
        {QStringLiteral("budgie"), DesktopKind::Gnome},
        {QStringLiteral("unity"), DesktopKind::Gnome},
        {QStringLiteral("pantheon"), DesktopKind::Gnome},
        {QStringLiteral("cinnamon"), DesktopKind::Cinnamon},
        {QStringLiteral("mate"), DesktopKind::Mate},
        {QStringLiteral("deepin"), DesktopKind::Deepin},
        {QStringLiteral("plasma"), DesktopKind::Plasma},
        {QStringLiteral("kde-plasma"), DesktopKind::Plasma},
        {QStringLiteral("xfce"), DesktopKind::Xfce},
        {QStringLiteral("lxde"), DesktopKind::Lxde},
        {QStringLiteral("lxqt"), DesktopKind::Lxqt},
        {QStringLiteral("sway"), DesktopKind::Sway},
        {QStringLiteral("hyprland"), DesktopKind::Wlroots},
    };
    for (const auto& [prefix, kind] : prefixes) {
        if (name == prefix || name.startsWith(prefix + QLatin1Char('-')) ||
            (prefix == QLatin1String("plasma") && name.startsWith(prefix)))
            return kind;
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
    // Sockets and versions that only one desktop sets.
    if (!env.value(QStringLiteral("SWAYSOCK")).isEmpty())
        return DesktopKind::Sway;
    if (!env.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE")).isEmpty())
        return DesktopKind::Wlroots;
    if (!env.value(QStringLiteral("KDE_SESSION_VERSION")).isEmpty())
        return DesktopKind::Plasma;
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
