#pragma once

#include <QMargins>

#include <optional>

class QWindow;

// The frame the X11 window manager will draw around `window`, asked before the window is mapped
// (_NET_REQUEST_FRAME_EXTENTS), in Qt's device-independent pixels. None when the platform is not
// X11, the window manager does not offer the request, or it does not answer within a moment.
std::optional<QMargins> x11FrameExtents(QWindow *window);
