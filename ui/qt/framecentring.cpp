#include "framecentring.h"
#include "x11frameextents.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

void centreOnPrimaryScreen(QWidget *window)
{
    // The native window must exist for the window manager to be asked about its frame.
    window->winId();
    QWindow *handle = window->windowHandle();
    const QMargins frame = x11FrameExtents(handle).value_or(handle->frameMargins());
    const QRect outer = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                            window->size().grownBy(frame),
                                            QGuiApplication::primaryScreen()->availableGeometry());
    // setGeometry places the client area, which is exactly known, unlike where a window manager
    // puts a frame that it draws itself.
    window->setGeometry(outer.marginsRemoved(frame));
}
