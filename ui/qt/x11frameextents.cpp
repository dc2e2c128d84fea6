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

// Replies are taken with an error pointer: an error given back there, such as BadWindow for the
// check window of a window manager that has gone, is not also reported on the connection, where
// Qt would print it.
Reply<xcb_intern_atom_reply_t> reply(xcb_connection_t *connection, xcb_intern_atom_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_intern_atom_reply_t> answer(xcb_intern_atom_reply(connection, cookie, &error));
    std::free(error);
    return answer;
}

Reply<xcb_get_property_reply_t> reply(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_get_property_reply_t> answer(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    return answer;
}

xcb_intern_atom_cookie_t askAtom(xcb_connection_t *connection, const char *name)
{
    return xcb_intern_atom(connection, false, std::uint16_t(std::strlen(name)), name);
}

xcb_atom_t atom(xcb_connection_t *connection, xcb_intern_atom_cookie_t cookie)
{
    const auto answer = reply(connection, cookie);
    return answer ? answer->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_get_property_cookie_t askProperty(xcb_connection_t *connection, xcb_window_t window,
                                      xcb_atom_t name, xcb_atom_t type, std::uint32_t longs)
{
    return xcb_get_property(connection, false, window, name, type, 0, longs);
}

// The window that a running EWMH window manager names on the root, and which names itself back.
std::optional<xcb_window_t> namedWindow(const Reply<xcb_get_property_reply_t> &answer)
{
    if (!answer || answer->format != 32 || xcb_get_property_value_length(answer.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(answer.get()));
}

bool offered(const Reply<xcb_get_property_reply_t> &supported, xcb_atom_t request)
{
    if (!supported || supported->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, request) != atoms + count;
}

// _NET_FRAME_EXTENTS holds left, right, top, bottom.
std::optional<QMargins> extents(const Reply<xcb_get_property_reply_t> &answer)
{
    if (!answer || answer->format != 32 || xcb_get_property_value_length(answer.get()) != 16)
        return std::nullopt;
    const auto *sides = static_cast<const std::uint32_t *>(xcb_get_property_value(answer.get()));
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

    // Every request of a step goes out before any reply is waited for: one round trip per step.
    const xcb_query_tree_cookie_t treeAsked = xcb_query_tree(connection, id);
    const xcb_intern_atom_cookie_t checkAsked = askAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_intern_atom_cookie_t supportedAsked = askAtom(connection, "_NET_SUPPORTED");
    const xcb_intern_atom_cookie_t requestAsked = askAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_intern_atom_cookie_t extentsAsked = askAtom(connection, "_NET_FRAME_EXTENTS");
    xcb_generic_error_t *error = nullptr;
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, treeAsked, &error));
    std::free(error);
    const xcb_atom_t check = atom(connection, checkAsked);
    const xcb_atom_t supported = atom(connection, supportedAsked);
    const xcb_atom_t request = atom(connection, requestAsked);
    const xcb_atom_t frameExtents = atom(connection, extentsAsked);
    if (!tree)
        return std::nullopt;

    const auto rootCheckAsked = askProperty(connection, tree->root, check, XCB_ATOM_WINDOW, 1);
    const auto offeredAsked = askProperty(connection, tree->root, supported, XCB_ATOM_ATOM, 4096);
    const std::optional<xcb_window_t> named = namedWindow(reply(connection, rootCheckAsked));
    if (!offered(reply(connection, offeredAsked), request) || !named)
        return std::nullopt;
    // A window manager that died leaves its _NET_SUPPORTED on the root, but its check window is gone.
    if (namedWindow(reply(connection, askProperty(connection, *named, check, XCB_ATOM_WINDOW, 1))) != named)
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
    const auto deadline = std::chrono::steady_clock::now() + answerWait;
    for (;;) {
        const auto asked = askProperty(connection, id, frameExtents, XCB_ATOM_CARDINAL, 4);
        if (const std::optional<QMargins> frame = extents(reply(connection, asked))) {
            const qreal ratio = window->devicePixelRatio();
            return QMargins(qRound(frame->left() / ratio), qRound(frame->top() / ratio),
                            qRound(frame->right() / ratio), qRound(frame->bottom() / ratio));
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(pollInterval);
    }
}
