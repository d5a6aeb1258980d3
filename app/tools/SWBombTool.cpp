#include "SWBombTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWToolCursor.h"

#include "platform/foundation/ModifierFlags.h"
#include "platform/graphics/CanvasBitmap.h"

#include <QPainter>
#include <QRegion>

#include <cmath>

SWBombTool::SWBombTool(KZToolboxController* controller)
    : SWTool(controller)
{
    m_bombTimer.setInterval(kTickIntervalMs);
    m_bombTimer.setTimerType(Qt::PreciseTimer);
    m_bombTimer.callOnTimeout([this] { drawNewCircle(); });
}

SWBombTool::~SWBombTool()
{
    m_bombTimer.stop();
}

QCursor SWBombTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("bomb-cursor"));
    return *m_cursor;
}

void SWBombTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    if (phase != MouseDown)
        return;
    if (m_isExploding)
        endExplosion();
    if (document())
        document()->handleUndoWithImageData();
    m_i = 0;
    m_rect = QRectF();
    m_p = p;
    m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
    m_mainImage = dataSource ? &dataSource->mainImage() : nullptr;
    m_bombColor = SWDrawingSupport::otherColor(m_flags, m_frontColor, m_backColor);
    m_bombSpeed = (m_flags & platform::ModifierFlags::Shift) ? 2 : 50;
    const double w = m_mainImage ? m_mainImage->width() : 0;
    const double h = m_mainImage ? m_mainImage->height() : 0;
    m_max = int64_t(std::sqrt(w * w + h * h));
    m_filledRadius = -1;
    m_bombTimer.start();
    m_isExploding = true;
}

void SWBombTool::drawNewCircle()
{
    if (m_i >= m_max) {
        endExplosion();
        return;
    }
    const double i = double(m_i);
    m_rect = QRectF(m_p.x() - i, m_p.y() - i, 2 * i, 2 * i);
    if (m_mainImage && !m_mainImage->isNull())
        fillCircle(*m_mainImage);
    m_redrawRect = m_rect;
    if (document())
        document()->refreshImage(this);
    m_i += m_bombSpeed;
}

void SWBombTool::fillCircle(QImage& image)
{
    if (m_rect.isEmpty() || !m_bombColor.isValid())
        return;
    const QRect canvas = image.rect();
    QRegion area = QRegion(m_rect.toAlignedRect()).intersected(canvas);
    // Pixels well inside the previous circle were covered in full and hold
    // exactly the bomb colour already: drawing them again changes nothing.
    constexpr double margin = 3;
    if (m_filledRadius > margin && image.cacheKey() == m_filledKey) {
        const double r = m_filledRadius - margin;
        const QRect inner = QRectF(m_p.x() - r, m_p.y() - r, 2 * r, 2 * r).toRect();
        area -= QRegion(inner, QRegion::Ellipse);
    }
    if (!area.isEmpty()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, SWDrawingSupport::antialiasByDefault());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setClipRegion(area);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_bombColor);
        painter.drawEllipse(m_rect);
    }
    m_filledRadius = m_rect.width() / 2;
    m_filledKey = image.cacheKey();
}

void SWBombTool::endExplosion()
{
    m_bombTimer.stop();
    if (m_mainImage && !m_mainImage->isNull() && m_bombColor.isValid() &&
        platform::CanvasBitmap::convert(*m_mainImage))
        m_mainImage->fill(platform::CanvasBitmap::premultipliedPixel(m_bombColor));
    if (m_bufferImage)
        SWImageTools::clearImage(*m_bufferImage);
    if (document())
        document()->refreshImage(nullptr);
    m_isExploding = false;
    m_filledRadius = -1;
}

void SWBombTool::tieUpLooseEnds()
{
    if (m_isExploding)
        endExplosion();
    SWTool::tieUpLooseEnds();
}
