#include "core/frameextents.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace ql::frameextents {
namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t* connection()
{
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property of the window (at most `count`), empty when it has none.
std::vector<uint32_t> values(xcb_connection_t* c, xcb_window_t window, const char* name,
                             xcb_atom_t type, uint32_t count)
{
    const xcb_atom_t property = atom(c, name);
    if (property == XCB_ATOM_NONE)
        return {};
    const Owned<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, count),
                               nullptr),
        &std::free);
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get()) / 4};
}

} // namespace

bool announced()
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    const std::vector<uint32_t> supported = values(c, root, "_NET_SUPPORTED", XCB_ATOM_ATOM, 1024);
    return extents != XCB_ATOM_NONE &&
           std::find(supported.begin(), supported.end(), extents) != supported.end();
}

std::optional<QMargins> of(const QWidget* window)
{
    xcb_connection_t* c = connection();
    const QWindow* handle = window->windowHandle();
    if (!c || !handle)
        return std::nullopt;
    const auto id = xcb_window_t(handle->winId());
    // Before the window is shown in its frame, the extents are the window manager's estimate.
    const Owned<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr), &std::free);
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;
    // Left, right, top, bottom.
    const std::vector<uint32_t> v = values(c, id, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4);
    if (v.size() != 4)
        return std::nullopt;
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

} // namespace ql::frameextents
