#pragma once

class QWidget;

// Places a top-level window, frame included, in the centre of the primary screen's available
// area before it is first shown. Where the window manager tells its frame in advance (X11's
// _NET_REQUEST_FRAME_EXTENTS) that frame is counted; elsewhere the frame Qt knows, if any.
void centreOnPrimaryScreen(QWidget *window);
