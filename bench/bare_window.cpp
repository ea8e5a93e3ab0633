// The floor of the start-up, exit and memory benchmarks: a Qt Widgets program that shows one
// empty window and ends when it is closed.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
