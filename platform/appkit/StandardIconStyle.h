#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

namespace platform {

// The program's style, as the toolkit would choose it, except that the
// toolbar's overflow arrows are read directly as the PNG files they are.
// The toolkit builds them from file names, and an icon made from a file
// name asks every image format plug-in whether it reads the file, which
// loads them all (and their codec libraries) when the first window's
// toolbar is made, long before any picture needs one.
class StandardIconStyle : public QProxyStyle {
public:
    // A proxy of the style of that name (the application's current one).
    explicit StandardIconStyle(const QString& baseStyleName);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // The overflow arrow's icon read from the toolkit's own files; null
    // when this toolkit has no such files (the caller then asks the style).
    static QIcon toolBarExtensionIcon(Qt::Orientation orientation, Qt::LayoutDirection direction);

private:
    // The arrows read so far, by pixmap and direction: the menu bar and
    // every toolbar ask for one as a window is made.
    mutable QHash<int, QIcon> m_extensionIcons;
};

} // namespace platform
