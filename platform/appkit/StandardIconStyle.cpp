#include "StandardIconStyle.h"

#include "ImageResource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace platform {

StandardIconStyle::StandardIconStyle(const QString& baseStyleName)
    : QProxyStyle(QStyleFactory::create(baseStyleName))
{
}

QIcon StandardIconStyle::toolBarExtensionIcon(Qt::Orientation orientation, Qt::LayoutDirection direction)
{
    // The toolkit's common style draws the arrows from these files, three
    // sizes each; the horizontal one points the other way right to left.
    static const QString folder = QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-");
    const bool horizontal = orientation == Qt::Horizontal;
    const QString stem = horizontal ? (direction == Qt::RightToLeft ? QStringLiteral("h-rtl-") : QStringLiteral("h-"))
                                    : QStringLiteral("v-");
    const int widths[3] = {horizontal ? 8 : 5, horizontal ? 16 : 10, horizontal ? 32 : 20};
    QIcon icon;
    for (int width : widths) {
        const QImage image = ImageResource::readFile(folder + stem + QString::number(width) + QStringLiteral(".png"));
        if (image.isNull())
            return {};
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon StandardIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const
{
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
        // Decided as the common style decides it.
        const Qt::LayoutDirection direction = option ? option->direction : QGuiApplication::layoutDirection();
        const int key = int(which) * 2 + (direction == Qt::RightToLeft ? 1 : 0);
        auto known = m_extensionIcons.constFind(key);
        if (known == m_extensionIcons.constEnd())
            known = m_extensionIcons.insert(
                key, toolBarExtensionIcon(which == SP_ToolBarHorizontalExtensionButton ? Qt::Horizontal : Qt::Vertical,
                                          direction));
        if (!known->isNull())
            return *known;
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace platform
