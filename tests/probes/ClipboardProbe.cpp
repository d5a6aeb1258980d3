// Writes the picture that the display's clipboard holds to a PNG file, as
// another program pasting it would read it. Exit code 1: the clipboard held
// no picture; 2: no file name was given; 3: the file could not be written.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return 1;
    return picture.save(arguments.at(1), "PNG") ? 0 : 3;
}
