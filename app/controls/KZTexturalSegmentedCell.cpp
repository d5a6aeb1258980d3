#include "KZTexturalSegmentedCell.h"

#include "platform/foundation/ExceptionGuard.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace {
int segmentOf(const QVariantMap& userInfo)
{
    const QVariant index = userInfo.value(KZTexturalSegmentedCell::segmentIndexKey());
    return index.isValid() ? index.toInt() : -1;
}
} // namespace

const QString& KZTexturalSegmentedCell::segmentIndexKey()
{
    static const QString key = QStringLiteral("kKeySegmentIndex");
    return key;
}

KZTexturalSegmentedCell::KZTexturalSegmentedCell()
{
    m_textColor = QColor(Qt::white);
    construct();
}

KZTexturalSegmentedCell::~KZTexturalSegmentedCell() = default;

QString KZTexturalSegmentedCell::segmentSkinIdentifier(int segment, int count, const QString& identifier)
{
    QString word = QStringLiteral("middle");
    if (segment == 0)
        word = QStringLiteral("left");
    else if (segment == count - 1)
        word = QStringLiteral("right");
    return QStringLiteral("segindex%1_%2_%3").arg(segment).arg(identifier, word);
}

void KZTexturalSegmentedCell::construct()
{
    const int count = segmentCount();
    m_states = QVector<std::uint64_t>(count, KZMultiStateTexture::Normal);
    if (!identifier().isEmpty()) {
        m_skins.clear();
        for (int i = 0; i < count; ++i)
            m_skins.push_back(
                std::make_unique<KZTexturalSkin>(segmentSkinIdentifier(i, count, identifier()), KZEdgeInsets::automatic()));
    }
    refreshSelectedSegmentState();
}

void KZTexturalSegmentedCell::setSegmentCount(int count)
{
    const int before = segmentCount();
    SegmentedCell::setSegmentCount(count);
    if (segmentCount() != before)
        construct();
}

void KZTexturalSegmentedCell::setSelected(bool selected, int segment)
{
    SegmentedCell::setSelected(selected, segment);
    refreshSelectedSegmentState();
}

void KZTexturalSegmentedCell::setSelectedSegment(int segment)
{
    SegmentedCell::setSelectedSegment(segment);
    refreshSelectedSegmentState();
}

void KZTexturalSegmentedCell::refreshSelectedSegmentState()
{
    const std::uint64_t normal = KZMultiStateTexture::Normal;
    const std::uint64_t selected = KZMultiStateTexture::Selected;
    for (int i = 0; i < m_states.size(); ++i) {
        if (i == selectedSegment())
            m_states[i] = (m_states[i] | selected) & ~normal;
        else
            m_states[i] = (m_states[i] | normal) & ~selected;
    }
    applyStates();
}

void KZTexturalSegmentedCell::applyStates()
{
    for (int i = 0; i < m_states.size() && i < int(m_skins.size()); ++i)
        m_skins[i]->changeState(m_states[i]);
}

KZTexturalSkin* KZTexturalSegmentedCell::texturalSkin(int segment) const
{
    return segment >= 0 && segment < int(m_skins.size()) ? m_skins[segment].get() : nullptr;
}

std::uint64_t KZTexturalSegmentedCell::texturalState(int segment) const
{
    return valid(segment) ? m_states[segment] : KZMultiStateTexture::Normal;
}

void KZTexturalSegmentedCell::setTexturalState(std::uint64_t state, int segment)
{
    if (valid(segment))
        m_states[segment] = state;
}

void KZTexturalSegmentedCell::addTexturalState(std::uint64_t state, int segment)
{
    if (valid(segment))
        m_states[segment] |= state;
}

void KZTexturalSegmentedCell::removeTexturalState(std::uint64_t state, int segment)
{
    if (valid(segment))
        m_states[segment] &= ~state;
}

void KZTexturalSegmentedCell::moveBitTo(std::uint64_t bit, int segment)
{
    for (int i = 0; i < m_states.size(); ++i) {
        if (i == segment)
            m_states[i] |= bit;
        else
            m_states[i] &= ~bit;
    }
    applyStates();
}

void KZTexturalSegmentedCell::customControlMouseDown(QWidget*, QEvent*, const QVariantMap& userInfo)
{
    const int segment = segmentOf(userInfo);
    if (segment >= 0)
        moveBitTo(KZMultiStateTexture::Pressed, segment);
}

void KZTexturalSegmentedCell::customControlMouseUp(QWidget*, QEvent*, const QVariantMap& userInfo)
{
    if (segmentOf(userInfo) < 0)
        return;
    moveBitTo(KZMultiStateTexture::Pressed, -1);
    refreshSelectedSegmentState();
}

void KZTexturalSegmentedCell::customControlMouseMoved(QWidget*, QEvent*, const QVariantMap& userInfo)
{
    const int segment = segmentOf(userInfo);
    if (segment >= 0)
        moveBitTo(KZMultiStateTexture::Hover, segment);
}

void KZTexturalSegmentedCell::customControlMouseEntered(QWidget* control, QEvent* event, const QVariantMap& userInfo)
{
    customControlMouseMoved(control, event, userInfo);
}

void KZTexturalSegmentedCell::customControlMouseExited(QWidget*, QEvent*, const QVariantMap&)
{
    moveBitTo(KZMultiStateTexture::Hover, -1);
}

QVector<QRectF> KZTexturalSegmentedCell::drawingRects(const QSizeF& controlSize) const
{
    QVector<QRectF> rects;
    const int count = segmentCount();
    if (count < 1)
        return rects;
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += widthForSegment(i);
    // What the widths leave over is spread over the segments; the last one
    // ends at the control's edge.
    const double extra = std::ceil((controlSize.width() - sum) / count);
    double x = 0;
    for (int i = 0; i < count; ++i) {
        const double width = i == count - 1 ? controlSize.width() - x : widthForSegment(i) + extra;
        rects << QRectF(x, 0, width, controlSize.height());
        x += width;
    }
    return rects;
}

void KZTexturalSegmentedCell::customControlDrawWithFrame(QWidget* control, QPainter& painter, const QRectF&,
                                                         const QVariantMap&)
{
    if (!control || int(m_skins.size()) != segmentCount())
        return;
    platform::exceptionGuard([&] {
        const QVector<QRectF> rects = drawingRects(QSizeF(control->size()));
        for (int i = 0; i < rects.size(); ++i) {
            const QRectF& r = rects[i];
            m_skins[i]->drawWithFrame(painter, r, control);
            const QImage image = imageForSegment(i);
            if (!image.isNull()) {
                const double side = r.height() - 8;
                if (side > 0) {
                    painter.save();
                    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
                    painter.drawImage(QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side), image);
                    painter.restore();
                }
                continue;
            }
            const QString label = labelForSegment(i);
            if (label.isEmpty())
                continue;
            const QFont font = this->font().value_or(control->font());
            const QSizeF size = QFontMetricsF(font).size(Qt::TextSingleLine, label);
            painter.save();
            painter.setFont(font);
            painter.setPen(m_textColor.value_or(control->palette().color(QPalette::ButtonText)));
            painter.drawText(QRectF(r.center().x() - size.width() / 2, r.center().y() - size.height() / 2,
                                    size.width(), size.height()),
                             Qt::AlignCenter | Qt::TextSingleLine, label);
            painter.restore();
        }
    });
}
