#include "KZRibbonIcons.h"

#include "platform/appkit/ImageResource.h"
#include "platform/foundation/Bundle.h"

#include <QGuiApplication>

QImage KZRibbonIcons::image(const QString& name)
{
    static const bool searched = [] {
        platform::ImageResource::addSearchDirectory(platform::Bundle::resourceDirectory() + QStringLiteral("/ribbon"));
        return true;
    }();
    (void)searched;
    // Only the resolution the screen shows is read: the toolbox alone has
    // dozens of icons, and reading both of each slowed start-up.
    const platform::ImageResource::Files files = platform::ImageResource::find(name);
    const bool twice = qApp && qApp->devicePixelRatio() > 1.0;
    if (twice && !files.path2x.isEmpty()) {
        QImage image = platform::ImageResource::readFile(files.path2x);
        if (!image.isNull()) {
            image.setDevicePixelRatio(2.0);
            return image;
        }
    }
    QImage image = platform::ImageResource::readFile(files.path);
    if (!image.isNull()) {
        image.setDevicePixelRatio(1.0);
        return image;
    }
    // Only a second resolution, or a first one that does not decode.
    if (!twice && !files.path2x.isEmpty()) {
        image = platform::ImageResource::readFile(files.path2x);
        if (!image.isNull())
            image.setDevicePixelRatio(2.0);
    }
    return image;
}

QString KZRibbonIcons::toolIconName(const QString& toolLabel)
{
    QString name = toolLabel;
    name.remove(QLatin1Char(' '));
    return QStringLiteral("tool_") + name;
}
