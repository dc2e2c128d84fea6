#include "form1.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

// The program takes no command line: Qt would read its own options (-platform, -qwindowtitle,
// -style and more) from the arguments, so it is handed the program's name alone. The environment
// (DISPLAY, QT_QPA_PLATFORM) still applies as for every program.
int main()
{
    char name[] = "veltrix";
    char *arguments[] = {name, nullptr};
    int count = 1;
    QApplication app(count, arguments);
    QApplication::setApplicationName(QStringLiteral("Veltrix"));
    QApplication::setApplicationVersion(QStringLiteral(VELTRIX_DISPLAY_VERSION));
    // Lets a Wayland compositor tie the window to its installed .desktop entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(VELTRIX_APP_ID));
    // Small PNGs compiled in: nothing to look up on disk, no SVG module to load at start-up.
    // Read as PNG outright: left to guess, the reader would load every image format plugin
    // (GIF, ICO, JPEG and libjpeg) before the window is created, about 2 ms of start-up.
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QImageReader reader(QStringLiteral(":/icons/veltrix-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    QApplication::setWindowIcon(icon);
    Form1 window;
    window.show();
    return app.exec();
}
