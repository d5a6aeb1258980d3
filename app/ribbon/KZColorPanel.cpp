#include "KZColorPanel.h"

#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "NSColorCompare.h"
#include "NSColorListCustom.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/ImageResource.h"
#include "platform/foundation/NotificationCenter.h"

const QString KZColorPanel::kClearColorKey = QStringLiteral("Transparant");

const QStringList& KZColorPanel::crayonKeys()
{
    static const QStringList keys = {
        QStringLiteral("Licorice"), QStringLiteral("Snow"),      QStringLiteral("Silver"),
        QStringLiteral("Moss"),     QStringLiteral("Teal"),      QStringLiteral("Ocean"),
        QStringLiteral("Midnight"), QStringLiteral("Plum"),      QStringLiteral("Maroon"),
        QStringLiteral("Maraschino"), QStringLiteral("Tangerine"), QStringLiteral("Spring"),
        QStringLiteral("Aqua"),     QStringLiteral("Blueberry"), QStringLiteral("Grape"),
        QStringLiteral("Magenta"),  QStringLiteral("Salmon"),    QStringLiteral("Banana"),
        QStringLiteral("Sky"),
    };
    return keys;
}

KZColorPanel::KZColorPanel(QWidget* parent)
    : KZColorPanel(platform::ColorList::named(QStringLiteral("Crayons")), parent)
{
}

KZColorPanel::KZColorPanel(const platform::ColorList* crayons, QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Colors"));
    setAccessibleDescription(QStringLiteral("Colors"));

    m_colorButton1 = new KZColorButton(this);
    m_colorButton1->setAccessibleName(QStringLiteral("Color 1"));
    m_colorButton2 = new KZColorButton(this);
    m_colorButton2->setAccessibleName(QStringLiteral("Color 2"));
    for (KZColorButton* button : {m_colorButton1.data(), m_colorButton2.data()}) {
        button->setTarget(this);
        button->setAction(QStringLiteral("activeColorButton:"));
        button->setColorNamer([this](const QColor& color) { return nameForColor(color); });
    }

    m_systemColorsMatrix = new KZColorMatrix(kSystemRows, kSwatchColumns, this);
    m_systemColorsMatrix->setAccessibleName(QStringLiteral("Color Swatches"));
    m_userColorsMatrix = new KZColorMatrix(kUserRows, kSwatchColumns, this);
    m_userColorsMatrix->setAccessibleName(QStringLiteral("Custom Colors"));
    for (KZColorMatrix* matrix : {m_systemColorsMatrix.data(), m_userColorsMatrix.data()}) {
        matrix->setAccessibleDescription(matrix->accessibleName());
        matrix->setCellSize(QSizeF(kSwatchSide, kSwatchSide));
        matrix->setIntercellSpacing(QSizeF(kSwatchSpacing, kSwatchSpacing));
        matrix->setTarget(this);
        matrix->setAction(QStringLiteral("selectedColor:"));
    }

    m_editColorButton = new KZTexturalButton(QStringLiteral("btn_color"), KZTexturalButtonCell::Momentary, this);
    const QList<QImage> wheel = platform::ImageResource::load(QStringLiteral("colorpanel_link"));
    if (!wheel.isEmpty())
        m_editColorButton->setImage(wheel.last());
    m_editColorButton->setImagePosition(platform::ButtonCell::ImageOnly);
    m_editColorButton->setAccessibleName(QStringLiteral("Edit Colors"));
    m_editColorButton->setAccessibleDescription(QStringLiteral("Show or hide the colour panel"));
    m_editColorButton->setTarget(this);
    m_editColorButton->setAction(QStringLiteral("editColor:"));

    platform::Responder::addAction(QStringLiteral("activeColorButton:"), [this](QObject* sender) { activeColorButton(sender); });
    platform::Responder::addAction(QStringLiteral("selectedColor:"), [this](QObject* sender) { selectedColor(sender); });
    platform::Responder::addAction(QStringLiteral("editColor:"), [this](QObject* sender) { editColor(sender); });
    platform::Responder::addAction(QStringLiteral("changeColor:"), [this](QObject* sender) { changeColor(sender); });

    awakeFromNib(crayons);
    layOut();
}

KZColorPanel::~KZColorPanel() = default;

void KZColorPanel::awakeFromNib(const platform::ColorList* crayons)
{
    auto fixed = std::make_shared<platform::ColorList>(
        crayons ? NSColorListCustom::initWithColorList(*crayons, crayonKeys()) : platform::ColorList(QString()));
    fixed->insertColor(QColor(0, 0, 0, 0), kClearColorKey, 0);
    m_systemColorsMatrix->setFrontMagnitude(true);
    m_systemColorsMatrix->setColorList(fixed);

    m_userColorsMatrix->setFrontMagnitude(false);
    m_userColorsMatrix->setColorList(std::make_shared<platform::ColorList>(QString()));

    const auto crayon = [crayons](const QString& key, Qt::GlobalColor fallback) {
        const std::optional<QColor> color = crayons ? crayons->colorWithKey(key) : std::nullopt;
        return color.value_or(QColor(fallback));
    };
    m_colorButton1->setColor(crayon(QStringLiteral("Licorice"), Qt::black));
    m_colorButton2->setColor(crayon(QStringLiteral("Snow"), Qt::white));
    m_colorButton1->setState(platform::ButtonCell::On);
    m_colorButton2->setState(platform::ButtonCell::Off);
    m_activeColorButton = m_colorButton1;
}

void KZColorPanel::layOut()
{
    const int step = kSwatchSide + kSwatchSpacing;
    m_colorButton1->setGeometry(2, 4, kButtonSide, kButtonSide);
    m_colorButton2->setGeometry(4 + kButtonSide, 4, kButtonSide, kButtonSide);
    const int swatchesLeft = 8 + 2 * kButtonSide;
    m_systemColorsMatrix->setGeometry(QRect(QPoint(swatchesLeft, 2), m_systemColorsMatrix->sizeHint()));
    m_userColorsMatrix->setGeometry(
        QRect(QPoint(swatchesLeft, 2 + kSystemRows * step + 2), m_userColorsMatrix->sizeHint()));
    const int linkLeft = swatchesLeft + kSwatchColumns * step + 2;
    m_editColorButton->setGeometry(linkLeft, 4, kButtonSide, kButtonSide);
}

QSize KZColorPanel::sizeHint() const
{
    const int step = kSwatchSide + kSwatchSpacing;
    return QSize(8 + 2 * kButtonSide + kSwatchColumns * step + 2 + kButtonSide + 2,
                 2 + (kSystemRows + kUserRows) * step + 2 + 2);
}

QColor KZColorPanel::firstColor() const
{
    return m_colorButton1 ? m_colorButton1->color() : QColor();
}

QColor KZColorPanel::secondColor() const
{
    return m_colorButton2 ? m_colorButton2->color() : QColor();
}

void KZColorPanel::setFirstColor(const QColor& color)
{
    if (!color.isValid() || !m_colorButton1 || NSColorCompare::isEqualToColor(color, m_colorButton1->color()))
        return;
    m_colorButton1->setColor(color);
    didChangedColor();
}

void KZColorPanel::setSecondColor(const QColor& color)
{
    if (!color.isValid() || !m_colorButton2 || NSColorCompare::isEqualToColor(color, m_colorButton2->color()))
        return;
    m_colorButton2->setColor(color);
    didChangedColor();
}

QColor KZColorPanel::selectedColor() const
{
    return m_activeColorButton ? m_activeColorButton->color() : QColor();
}

void KZColorPanel::setSelectedColor(const QColor& color)
{
    if (!m_activeColorButton || !color.isValid() || NSColorCompare::isEqualToColor(color, selectedColor()))
        return;
    m_activeColorButton->setColor(color);
    didChangedColor();
}

void KZColorPanel::selectedColor(QObject* sender)
{
    auto* matrix = qobject_cast<KZColorMatrix*>(sender);
    const QColor chosen = matrix ? matrix->selectedColor() : QColor();
    setSelectedColor(chosen.isValid() ? chosen : QColor(Qt::white));
}

void KZColorPanel::activeColorButton(QObject* sender)
{
    auto* button = qobject_cast<KZColorButton*>(sender);
    if (!button || (button != m_colorButton1 && button != m_colorButton2))
        return;
    m_colorButton1->setState(platform::ButtonCell::Off);
    m_colorButton2->setState(platform::ButtonCell::Off);
    button->setState(platform::ButtonCell::On);
    m_activeColorButton = button;
    didChangedColor();
}

void KZColorPanel::editColor(QObject*)
{
    platform::ColorPanel& panel = platform::ColorPanel::shared();
    if (panel.isVisible()) {
        panel.close();
        return;
    }
    panel.setColor(selectedColor());
    panel.orderFront();
}

void KZColorPanel::changeColor(QObject*)
{
    receiveColorChangeDelay();
}

void KZColorPanel::receiveColorChangeDelay()
{
    const QColor picked = platform::ColorPanel::shared().color();
    // The shared panel announces its own colour: the active button takes it
    // without announcing it a second time.
    if (m_activeColorButton && picked.isValid() && !NSColorCompare::isEqualToColor(picked, selectedColor()))
        m_activeColorButton->setColor(picked);
    const std::shared_ptr<platform::ColorList> fixed =
        m_systemColorsMatrix ? m_systemColorsMatrix->colorList() : nullptr;
    if (m_userColorsMatrix && !(fixed && NSColorListCustom::containsColor(*fixed, picked)))
        m_userColorsMatrix->appendColor(picked);
}

void KZColorPanel::didChangedColor()
{
    platform::ColorPanel& panel = platform::ColorPanel::shared();
    panel.setColor(selectedColor());
    // Our colour panel takes a colour silently; the toolbox controller
    // re-reads the colours from this group when it hears of the change.
    platform::NotificationCenter::defaultCenter().post(platform::ColorPanel::colorDidChangeNotification(), &panel);
}

QString KZColorPanel::nameForColor(const QColor& color) const
{
    if (!color.isValid())
        return QString();
    if (m_systemColorsMatrix) {
        if (const std::shared_ptr<platform::ColorList> fixed = m_systemColorsMatrix->colorList()) {
            for (const QString& key : fixed->allKeys()) {
                if (NSColorCompare::isEqualToColor(*fixed->colorWithKey(key), color))
                    return key;
            }
        }
    }
    return KZColorMatrix::userColorKey(color);
}
