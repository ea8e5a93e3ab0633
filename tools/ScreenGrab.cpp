// Saves the X screen, or a rectangle of it, as a PNG: screengrab OUTPUT.png [X Y WIDTH HEIGHT]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2 && args.size() != 6) {
        std::fprintf(stderr, "usage: screengrab OUTPUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap image = args.size() == 6
        ? screen->grabWindow(0, args[2].toInt(), args[3].toInt(), args[4].toInt(), args[5].toInt())
        : screen->grabWindow(0);
    if (image.isNull() || !image.save(args[1], "PNG")) {
        std::fprintf(stderr, "screengrab: could not save %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
