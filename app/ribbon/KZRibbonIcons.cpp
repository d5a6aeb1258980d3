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
    const QList<QImage> representations = platform::ImageResource::load(name);
    if (representations.isEmpty())
        return QImage();
    const bool twice = qApp && qApp->devicePixelRatio() > 1.0;
    return twice && representations.size() > 1 ? representations.at(1) : representations.first();
}

QString KZRibbonIcons::toolIconName(const QString& toolLabel)
{
    QString name = toolLabel;
    name.remove(QLatin1Char(' '));
    return QStringLiteral("tool_") + name;
}
