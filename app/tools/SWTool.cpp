#include "SWTool.h"

#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"

#include "platform/foundation/DeferredPerform.h"

#include "platform/foundation/Geometry.h"

#include <QPointer>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <typeinfo>

SWTool::SWTool(KZToolboxController* controller)
    : m_toolboxController(controller)
{
    m_lineWidth = controller ? double(controller->lineWidth()) : 0.0;
    resetRedrawRect();
    for (const QString* key : {&KZToolboxController::kLineWidth, &KZToolboxController::kForegroundColor,
                               &KZToolboxController::kBackgroundColor, &KZToolboxController::kFillStyle})
        observeControllerKeyPath(*key);
}

SWTool::~SWTool()
{
    m_document = nullptr;
    if (m_toolboxController)
        m_toolboxController->removeObserver(this);
}

void SWTool::observeControllerKeyPath(const QString& keyPath)
{
    if (!m_toolboxController)
        return;
    m_toolboxController->addObserver(this, keyPath,
                                     [this, keyPath](const QVariant& value) { observeValueForKeyPath(keyPath, value); });
}

void SWTool::observeValueForKeyPath(const QString& keyPath, const QVariant& newValue)
{
    if (keyPath == KZToolboxController::kLineWidth) {
        setLineWidth(double(newValue.toLongLong()));
    } else if (keyPath == KZToolboxController::kForegroundColor) {
        setFrontColor(newValue.value<QColor>());
    } else if (keyPath == KZToolboxController::kBackgroundColor) {
        setBackColor(newValue.value<QColor>());
    } else if (keyPath == KZToolboxController::kFillStyle) {
        const qint64 v = newValue.toLongLong();
        setShouldFill((v | KZToolboxController::StrokeBit) == 17, (v | KZToolboxController::FillBit) == 17);
    } else {
        return;
    }
    scheduleDocumentRefresh();
}

void SWTool::setShouldFill(bool fill, bool stroke)
{
    m_shouldFill = fill;
    m_shouldStroke = stroke;
}

void SWTool::resetRedrawRect()
{
    m_savedRect = QRectF(DBL_MAX, DBL_MAX, 0, 0);
    m_redrawRect = QRectF(DBL_MAX, DBL_MAX, 0, 0);
}

bool SWTool::isEqualToTool(const SWTool* other) const
{
    return other && typeid(*this) == typeid(*other);
}

void SWTool::mouseHasMoved(const QPointF&, QMouseEvent*)
{
}

QRectF SWTool::addRectToRedrawRect(const QRectF& rect)
{
    m_redrawRect = platform::unionRect(rect, m_savedRect);
    m_savedRect = rect;
    m_redrawRect.setWidth(m_redrawRect.width() + 1);
    return m_redrawRect;
}

QRectF SWTool::addRedrawRectFromPoint(const QPointF& p, const QPointF& q)
{
    const double w = lineWidth();
    // The segment's box grown by half the line width plus one pixel.
    const auto trunc32 = [](double v) -> double {
        if (!std::isfinite(v))
            return 0.0;
        return double(int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX))));
    };
    const QRectF r(std::round(std::min(p.x(), q.x()) - w / 2 - 1), std::round(std::min(p.y(), q.y()) - w / 2 - 1),
                   std::fabs(trunc32(p.x() - q.x())) + w + 2, std::fabs(trunc32(p.y() - q.y())) + w + 2);
    return addRectToRedrawRect(r);
}

QPainterPath SWTool::pathFromPoint(const QPointF&, const QPointF&)
{
    return m_path;
}

void SWTool::handleKeyDown(QKeyEvent*)
{
}

void SWTool::scheduleDocumentRefresh()
{
    if (!m_document)
        return;
    // Every tool of the document sees the same change; the last request
    // replaces the others, so the document redraws once.
    static const QString key = QStringLiteral("refreshDisplay");
    auto& deferred = platform::DeferredPerform::shared();
    deferred.cancel(m_document, key);
    QPointer<SWDocument> document(m_document);
    deferred.perform(m_document, key, [document] {
        if (document)
            document->refreshDisplay();
    });
}

bool SWTool::pointLiesOnCanvas(const QPointF& point, const SWImageDataSource* dataSource)
{
    if (!dataSource)
        return false;
    const QRectF canvas = dataSource->drawableRect();
    return point.x() >= canvas.left() && point.y() >= canvas.top() && point.x() < canvas.right() &&
           point.y() < canvas.bottom();
}

QPointF SWTool::pixelUnder(const QPointF& point)
{
    return QPointF(std::floor(point.x()), std::floor(point.y()));
}

void SWTool::keepMainImage(SWImageDataSource* dataSource)
{
    m_mainImage = dataSource ? &dataSource->mainImage() : nullptr;
    m_mainMarks = dataSource ? &dataSource->mainImageMarks() : nullptr;
}
