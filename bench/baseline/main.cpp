// The least a Qt Widgets program of Veltrix's shape can do: one fixed 121 x 137 window with three
// group boxes, each holding a line edit and a label. No icon, no locale, no handlers. Start-up
// time and memory of the real program are measured against this.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Baseline");
    window.setFixedSize(121, 137);
    const char* captions[] = {"Bez DPH", "s DPH 5%", "s DPH 19%"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QGroupBox(captions[i], &window);
        box->setGeometry(0, 48 * i, 121, 41);
        (new QLineEdit(box))->setGeometry(8, 16, 81, 19);
        (new QLabel(QString::fromUtf8("K\u010d"), box))->setGeometry(96, 19, 17, 17);
    }
    window.show();
    return app.exec();
}
