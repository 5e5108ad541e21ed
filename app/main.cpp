#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tarnel"));
    window.setGeometry(10, 10, 1000, 700);
    window.show();
    return app.exec();
}
