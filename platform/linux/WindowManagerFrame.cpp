// SPDX-License-Identifier: MIT
#include "WindowManagerFrame.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace velmora::linux_impl {

namespace {
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_atom_t FrameExtentsAtom(xcb_connection_t* connection) {
    static const char kName[] = "_NET_FRAME_EXTENTS";
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(kName), kName), nullptr));
    return reply ? reply->atom : XCB_ATOM_NONE;
}
} // namespace

// Read from the server each time rather than from Qt: Qt learns a frame only from the
// configure events that happen to follow it, and under load it can keep a frame of zero, or
// one measured while the window manager was still building it, for good.
std::optional<QMargins> WindowManagerFrame(QWindow& window) {
    // Other platforms may answer as X11 applications too (offscreen, for its GL), without
    // their windows being X windows.
    if (qGuiApp == nullptr || QGuiApplication::platformName() != u"xcb" ||
        window.handle() == nullptr)
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return std::nullopt;
    static const xcb_atom_t atom = FrameExtentsAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), atom,
                         XCB_ATOM_CARDINAL, 0, 4),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    std::uint32_t extents[4]; // left, right, top, bottom
    std::memcpy(extents, xcb_get_property_value(reply.get()), sizeof extents);
    for (const std::uint32_t extent : extents)
        if (extent > 10000) // not a frame any window manager draws
            return std::nullopt;
    return QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]),
                    static_cast<int>(extents[1]), static_cast<int>(extents[3]));
}

} // namespace velmora::linux_impl
