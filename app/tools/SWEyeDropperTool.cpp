#include "SWEyeDropperTool.h"

#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWToolCursor.h"

#include "platform/appkit/ColorPanel.h"

SWEyeDropperTool::SWEyeDropperTool(KZToolboxController* controller)
    : SWInstantTool(controller, SWToolCursor::cursorNamed(QStringLiteral("eyedrop-cursor")))
{
}

void SWEyeDropperTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int, QMouseEvent* event)
{
    // The pixel under the pointer; off the picture there is none and the
    // panel keeps its colour.
    if (dataSource) {
        if (const std::optional<QColor> color = SWImageTools::colorAtPoint(dataSource->mainImage(), p)) {
            // As a colour picked in the panel: whoever follows the panel hears of it.
            platform::ColorPanel::shared().userDidPickColor(*color, true);
        }
    }
    updateCurrentCursorIfNeeded(event);
}
