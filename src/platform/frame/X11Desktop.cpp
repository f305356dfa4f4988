#include "frame/X11Desktop.h"

#include <QGuiApplication>

#if defined(KALVOR_HAVE_XCB)
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace platform::frame {

#if defined(KALVOR_HAVE_XCB)
namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply> ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, std::uint16_t(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The window named by a WINDOW property of a window, if it has one.
std::optional<xcb_window_t> windowProperty(xcb_connection_t* connection, xcb_window_t window,
                                           xcb_atom_t property) {
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < int(sizeof(xcb_window_t)))
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

} // namespace

std::optional<bool> windowManagerRunning() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    // A window manager names a check window on the root window, and the
    // check window names itself; a name left behind by one that has ended
    // points nowhere or elsewhere.
    const xcb_atom_t check = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    const std::optional<xcb_window_t> checkWindow = windowProperty(connection, screen->root, check);
    if (!checkWindow)
        return false;
    return windowProperty(connection, *checkWindow, check) == checkWindow;
}

#else

std::optional<bool> windowManagerRunning() {
    return std::nullopt;
}

#endif

} // namespace platform::frame
