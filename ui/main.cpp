#include "form1.h"

#include <QApplication>
#include <QIcon>
#include <QSize>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrix"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // Lets a Wayland compositor tie the window to its installed .desktop entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("cz.veltrix.Veltrix"));
    // Small PNGs compiled in: nothing to look up on disk, no SVG module to load at start-up.
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/veltrix-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    Form1 window;
    window.show();
    return app.exec();
}
