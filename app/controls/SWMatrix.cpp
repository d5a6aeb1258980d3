#include "SWMatrix.h"

#include "KZCustomControlActions.h"
#include "SWMatrixAccessible.h"
#include "KZTexturalButtonCell.h"

#include <QEnterEvent>
#include <QMouseEvent>

SWMatrix::SWMatrix(int mode, const CellFactory& factory, int rows, int columns, QWidget* parent)
    : platform::Matrix(mode, factory, rows, columns, parent)
    , m_trackingAreaWrapper(std::make_unique<KZTrackingAreaWrapper>(this, this))
{
    setAllowsEmptySelection(true);
    SWMatrixAccessible::install();
}

SWMatrix::~SWMatrix()
{
    m_trackingAreaWrapper.reset();
}

KZCustomControlActions* SWMatrix::actions(platform::ButtonCell* cell)
{
    return dynamic_cast<KZCustomControlActions*>(cell);
}

QString SWMatrix::accessibleNameForCell(int row, int column) const
{
    const platform::ButtonCell* cell = cellAt(row, column);
    return cell ? cell->title() : QString();
}

QString SWMatrix::accessibleDescriptionForCell(int row, int column) const
{
    // A cell says what it is by its title, as a plain button would.
    return accessibleNameForCell(row, column);
}

platform::ButtonCell* SWMatrix::hoveredCell() const
{
    return cellAt(m_hoveredPoint.x(), m_hoveredPoint.y());
}

void SWMatrix::hoverAt(const QPointF& point, QEvent* event)
{
    int row = -1, column = -1;
    // Between or outside the cells nothing changes.
    if (!getRowColumnForPoint(point, &row, &column) || QPoint(row, column) == m_hoveredPoint)
        return;
    if (KZCustomControlActions* old = actions(hoveredCell()))
        old->customControlMouseExited(this, event, {});
    m_hoveredPoint = QPoint(row, column);
    if (KZCustomControlActions* now = actions(hoveredCell()))
        now->customControlMouseEntered(this, event, {});
    update();
}

void SWMatrix::mouseMoved(QMouseEvent* event)
{
    hoverAt(event->position(), event);
}

void SWMatrix::mouseEntered(QEvent* event)
{
    if (event && event->type() == QEvent::Enter)
        hoverAt(static_cast<QEnterEvent*>(event)->position(), event);
    else if (event && event->type() == QEvent::MouseMove)
        hoverAt(static_cast<QMouseEvent*>(event)->position(), event);
}

void SWMatrix::mouseExited(QEvent* event)
{
    if (KZCustomControlActions* old = actions(hoveredCell()))
        old->customControlMouseExited(this, event, {});
    m_hoveredPoint = QPoint(-1, -1);
    update();
}

void SWMatrix::mousePressEvent(QMouseEvent* event)
{
    int row = -1, column = -1;
    if (event->button() != Qt::LeftButton || !getRowColumnForPoint(event->position(), &row, &column))
        return; // a press in a gap is ignored entirely
    m_tracking = true;
    if (KZCustomControlActions* hovered = actions(hoveredCell())) {
        hovered->customControlMouseDown(this, event, {});
        // The old choice loses any hover look it kept.
        platform::ButtonCell* selected = selectedCell();
        if (selected && selected != hoveredCell() && dynamic_cast<KZTexturalButtonCell*>(selected))
            actions(selected)->customControlMouseExited(this, event, {});
    }
    update();
    platform::Matrix::mousePressEvent(event);
}

void SWMatrix::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    platform::Matrix::mouseReleaseEvent(event);
    if (KZCustomControlActions* hovered = actions(hoveredCell()))
        hovered->customControlMouseUp(this, event, {});
    update();
}

void SWMatrix::showEvent(QShowEvent* event)
{
    platform::Matrix::showEvent(event);
    if (auto* hovered = dynamic_cast<KZTexturalButtonCell*>(hoveredCell()))
        hovered->resetHighlightedState();
    m_trackingAreaWrapper->addTrackingArea();
}

void SWMatrix::resizeEvent(QResizeEvent* event)
{
    platform::Matrix::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}
