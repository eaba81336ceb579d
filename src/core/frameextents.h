#pragma once

#include <QMargins>
#include <optional>

class QWidget;

// What the window manager of an X11 desktop says about the frames it puts around windows. Each
// answer is read from the window system when asked: the toolkit keeps the first frame it hears
// of until the window next moves, which may be none for a window framed where it stands.
namespace ql::frameextents {

// Whether the window system is X11 with a window manager that announces its frames
// (_NET_FRAME_EXTENTS among what it supports).
bool announced();

// The frame the window manager put around the window once it shows the window in it; none
// before (what it says of a window not shown yet is an estimate), or on another window system.
std::optional<QMargins> of(const QWidget* window);

} // namespace ql::frameextents
