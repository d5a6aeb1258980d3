#include "SWFillTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWSelectionBuilder.h"
#include "SWToolCursor.h"

#include "platform/graphics/CanvasBitmap.h"

#include <cmath>

SWFillTool::SWFillTool(KZToolboxController* controller)
    : SWInstantTool(controller, SWToolCursor::cursorNamed(QStringLiteral("bucket-cursor")))
{
}

QImage SWFillTool::newFloodFillSelect(const QPointF& point, double tolerance) const
{
    if (!m_mainImage)
        return {};
    return SWSelectionBuilder(*m_mainImage, point, tolerance).newRealMask();
}

void SWFillTool::fillMask(const QImage& mask, const QColor& color)
{
    if (!m_mainImage)
        return;
    auto write = writeKeptMainImage();
    write.add(SWSelectionBuilder::fillMask(write.image(), mask, color));
}

void SWFillTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent* event)
{
    if (phase == MouseDown && dataSource && pointLiesOnCanvas(p, dataSource) && !dataSource->mainImage().isNull()) {
        keepMainImage(dataSource);
        QImage& main = dataSource->mainImage();
        m_w = main.width();
        m_h = main.height();
        m_fillColor = SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor).toRgb();
        // The pixel under the click, the same one the fill starts from.
        const std::optional<QColor> under = SWImageTools::colorAtPoint(main, p);
        bool alreadyFilled = false;
        if (under && m_fillColor.isValid()) {
            // Compared as stored too: a translucent colour does not come back
            // exactly from its premultiplied pixel.
            const auto x = int(std::floor(p.x()));
            const auto y = int(std::floor(p.y()));
            const auto stored = reinterpret_cast<const uint32_t*>(main.constScanLine(y))[x];
            alreadyFilled = SWImageTools::colorIsEqualToColor(*under, m_fillColor) ||
                            (platform::CanvasBitmap::isCanvas(main) &&
                             stored == platform::CanvasBitmap::premultipliedPixel(m_fillColor));
        }
        if (!alreadyFilled && m_fillColor.isValid()) {
            if (document())
                document()->handleUndoWithImageData();
            const QImage mask = newFloodFillSelect(p, 0.0);
            fillMask(mask, m_fillColor);
            addRedrawRectFromPoint(QPointF(0, 0), QPointF(main.width(), main.height()));
        }
    }
    updateCurrentCursorIfNeeded(event);
}
