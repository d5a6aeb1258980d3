#include "KZTexturalScroller.h"

#include <QPainter>
#include <QStyleOptionSlider>

KZTexturalScroller::KZTexturalScroller(Qt::Orientation orientation, const QString& identifier, QWidget* parent)
    : QScrollBar(orientation, parent)
    , m_identifier(identifier)
    , m_horizontal(orientation == Qt::Horizontal)
{
    const QString base = identifier.isEmpty() ? QStringLiteral("kz_scroller") : identifier;
    m_hasArrowButtons = identifier.startsWith(QLatin1String("arrow"));
    const quint64 hash = quint64(quintptr(this));
    const QString slotWord = m_horizontal ? QStringLiteral("hslot") : QStringLiteral("vslot");
    const QString knobWord = m_horizontal ? QStringLiteral("hknob") : QStringLiteral("vknob");
    m_slotSkin = std::make_unique<KZTexturalSkin>(QStringLiteral("slot_%1_%2_%3").arg(hash).arg(base, slotWord),
                                                  KZEdgeInsets::automatic());
    m_knobSkin = std::make_unique<KZTexturalSkin>(QStringLiteral("knob_%1_%2_%3").arg(hash).arg(base, knobWord),
                                                  KZEdgeInsets::automatic());
    m_trackingAreaWrapper = std::make_unique<KZTrackingAreaWrapper>(this, this);
    // The legacy look: no arrows, the knob runs the whole length. The style
    // sheet only shapes the parts the style reports; the drawing is ours.
    setStyleSheet(QStringLiteral(
        "QScrollBar { border: none; background: transparent; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }"
        "QScrollBar::handle { min-width: 20px; min-height: 20px; }"));
    if (m_horizontal)
        setFixedHeight(kScrollerWidth);
    else
        setFixedWidth(kScrollerWidth);
}

KZTexturalScroller::~KZTexturalScroller()
{
    m_trackingAreaWrapper.reset();
}

QSize KZTexturalScroller::sizeHint() const
{
    return m_horizontal ? QSize(100, kScrollerWidth) : QSize(kScrollerWidth, 100);
}

QRect KZTexturalScroller::knobRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void KZTexturalScroller::mouseEntered(QEvent*)
{
    m_knobSkin->changeState(KZMultiStateTexture::Hover);
    update();
}

void KZTexturalScroller::mouseExited(QEvent*)
{
    m_knobSkin->changeState(KZMultiStateTexture::Normal);
    update();
}

void KZTexturalScroller::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 40, 40));
    m_slotSkin->drawWithFrame(painter, QRectF(rect()), this);
    if (maximum() > minimum())
        m_knobSkin->drawWithFrame(painter, QRectF(knobRect()), this);
}

void KZTexturalScroller::showEvent(QShowEvent* event)
{
    QScrollBar::showEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalScroller::resizeEvent(QResizeEvent* event)
{
    QScrollBar::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}
