// SPDX-License-Identifier: MIT
#include "ApplicationSetup.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>

namespace velmora {

void PrepareApplicationPlatform() {
    // Wayland lets no client place its own window; through XWayland the changer window can
    // sit in its corner. The user's own choice of platform is left alone.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

bool HasDisplay() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    std::fputs("velmora: 画面がありません（DISPLAY も WAYLAND_DISPLAY も設定されていません）。\n"
               "velmora: no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n",
               stderr);
    return false;
}

} // namespace velmora
