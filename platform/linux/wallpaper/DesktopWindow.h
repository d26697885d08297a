// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopDetect.h"

#include <QList>
#include <QString>

#include <optional>

namespace velmora::linux_impl {

// The WM_CLASS of a window: its instance name and its class name.
struct WindowClass {
    QString instance;
    QString windowClass;
};

// The desktop whose file manager draws a desktop window of this class, if it is one we know.
std::optional<DesktopKind> DesktopOfWindowClass(const WindowClass& windowClass);

// The classes of the windows of type _NET_WM_WINDOW_TYPE_DESKTOP on the X display (DISPLAY
// when displayName is empty); empty when there is no X server.
QList<WindowClass> DesktopWindowClasses(const QString& displayName = {});

// Whether a desktop window of the given program (WM_CLASS instance or class, any case) is
// on the X display; nullopt when no X server can be reached to tell.
std::optional<bool> HasDesktopWindowOf(const QString& program, const QString& displayName = {});

// The number of workspaces the window manager announces (_NET_NUMBER_OF_DESKTOPS); 1 when
// it announces none or there is no X server.
int WorkspaceCount(const QString& displayName = {});

} // namespace velmora::linux_impl
