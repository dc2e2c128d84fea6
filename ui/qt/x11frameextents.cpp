#include "x11frameextents.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

// A window manager answers within a few milliseconds; one that says it answers but does not must
// not hold the window back for long.
constexpr auto answerWait = std::chrono::milliseconds(250);
constexpr auto pollInterval = std::chrono::microseconds(500);

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

Reply<xcb_get_property_reply_t> property(xcb_connection_t *connection, xcb_window_t window,
                                         xcb_atom_t name, xcb_atom_t type, std::uint32_t longs)
{
    return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, window, name, type, 0, longs), nullptr));
}

// The window that a running EWMH window manager names on the root, and which names itself back.
std::optional<xcb_window_t> checkWindow(xcb_connection_t *connection, xcb_window_t window,
                                        xcb_atom_t check)
{
    const auto reply = property(connection, window, check, XCB_ATOM_WINDOW, 1);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
}

// A window manager that died leaves its _NET_SUPPORTED on the root, but its check window is gone.
bool windowManagerRuns(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const std::optional<xcb_window_t> named = checkWindow(connection, root, check);
    return named && checkWindow(connection, *named, check) == named;
}

bool offered(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t request)
{
    const auto supported = property(connection, root, atom(connection, "_NET_SUPPORTED"),
                                    XCB_ATOM_ATOM, 4096);
    if (!supported || supported->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, request) != atoms + count;
}

// _NET_FRAME_EXTENTS holds left, right, top, bottom.
std::optional<QMargins> extents(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name)
{
    const auto reply = property(connection, window, name, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto *sides = static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
    return QMargins(int(sides[0]), int(sides[2]), int(sides[1]), int(sides[3]));
}

} // namespace

std::optional<QMargins> x11FrameExtents(QWindow *window)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Qt's offscreen platform offers the interface over an Xlib display alone, with no connection.
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    if (!tree || !windowManagerRuns(connection, tree->root) || !offered(connection, tree->root, request))
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, false, tree->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);

    // The answer is a property on the window; Qt's event thread reads the connection's events, so
    // the property is polled rather than waited for.
    const xcb_atom_t frameExtents = atom(connection, "_NET_FRAME_EXTENTS");
    const auto deadline = std::chrono::steady_clock::now() + answerWait;
    for (;;) {
        if (const std::optional<QMargins> frame = extents(connection, id, frameExtents)) {
            const qreal ratio = window->devicePixelRatio();
            return QMargins(qRound(frame->left() / ratio), qRound(frame->top() / ratio),
                            qRound(frame->right() / ratio), qRound(frame->bottom() / ratio));
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(pollInterval);
    }
}
