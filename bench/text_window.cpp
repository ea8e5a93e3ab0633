// A reference beside the floor of the start-up and memory benchmarks: the bare window with one
// label and one button, so the table shows what drawing any text costs over a window with none
// (the font configuration, a font engine, shaping and glyphs).
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Text window"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("One line of text on a label")));
    layout->addWidget(new QPushButton(QStringLiteral("A button")));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
