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
    const QList<QImage> images = platform::ImageResource::load(name, qApp ? qApp->devicePixelRatio() : 1.0);
    return images.isEmpty() ? QImage() : images.first();
}

QString KZRibbonIcons::toolIconName(const QString& toolLabel)
{
    QString name = toolLabel;
    name.remove(QLatin1Char(' '));
    return QStringLiteral("tool_") + name;
}
