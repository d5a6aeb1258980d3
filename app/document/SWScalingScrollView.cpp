#include "SWScalingScrollView.h"

#include "HiResSupport.h"
#include "KZTexturalPopUpButton.h"
#include "KZTexturalScroller.h"
#include "KZTexturalView.h"
#include "SWCenteringClipView.h"

#include "platform/foundation/NotificationCenter.h"

#include <QComboBox>
#include <QResizeEvent>
#include <QScrollBar>

#include <cmath>

const QString SWScalingScrollView::kScaleFactorDidChanged = QStringLiteral("kScaleFactorDidChanged");
const QString SWScalingScrollView::kScaleFactorKey = QStringLiteral("kScaleFactorKey");
const QString SWScalingScrollView::kScrollerIdentifier = QStringLiteral("kz_scroller_paint_view");
const QString SWScalingScrollView::kScrollerSquareIdentifier = QStringLiteral("kz_scroller_paint_view_brgap");
const QString SWScalingScrollView::kScalePopUpIdentifier = QStringLiteral("scalebutton_btn_popup");

SWScalingScrollView::SWScalingScrollView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    postInit();
}

SWScalingScrollView::~SWScalingScrollView()
{
    m_document = nullptr;
}

void SWScalingScrollView::postInit()
{
    // Skinned scrollers, each told its orientation by the scroll view.
    setHorizontalScrollBar(new KZTexturalScroller(Qt::Horizontal, kScrollerIdentifier));
    setVerticalScrollBar(new KZTexturalScroller(Qt::Vertical, kScrollerIdentifier));
    // Both scrollers stay, so the level pop-up beside the horizontal one and
    // the corner between them are always there.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    m_designTimeViewFrame = geometry();
}

const QList<double>& SWScalingScrollView::scaleLevels()
{
    static const QList<double> levels = {0.25, 0.5, 1, 2, 4, 8, 16};
    return levels;
}

double SWScalingScrollView::snapScaleFactor(double factor)
{
    if (std::isnan(factor))
        return 1.0;
    const QList<double>& levels = scaleLevels();
    if (factor < levels.first())
        return levels.first();
    if (factor > levels.last())
        return levels.last();
    for (qsizetype i = 0; i + 1 < levels.size(); ++i) {
        const double a = levels[i];
        const double b = levels[i + 1];
        if (a <= factor && factor <= b)
            return (factor - a < b - factor) ? a : b;
    }
    return levels.last();
}

void SWScalingScrollView::setContentView(SWCenteringClipView* clipView)
{
    QWidget* documentView = m_documentView;
    if (documentView)
        documentView->setParent(nullptr);
    setViewport(clipView);
    if (documentView)
        setDocumentView(documentView);
}

SWCenteringClipView* SWScalingScrollView::contentView() const
{
    return qobject_cast<SWCenteringClipView*>(viewport());
}

void SWScalingScrollView::setDocumentView(QWidget* view)
{
    m_documentView = view;
    if (view) {
        view->setParent(viewport());
        view->lower();
        view->show();
    }
    layoutDocumentView();
}

void SWScalingScrollView::setDocumentFrameSize(const QSizeF& frameSize)
{
    if (frameSize == m_documentFrameSize)
        return;
    m_documentFrameSize = frameSize;
    layoutDocumentView();
}

double SWScalingScrollView::magnification() const
{
    return m_actualMagnification * HiResSupport::screenScaleFactor(this);
}

void SWScalingScrollView::setMagnification(double level)
{
    setMagnificationCenteredAtPoint(level, documentVisibleRect().topLeft());
}

void SWScalingScrollView::setMagnificationCenteredAtPoint(double level, const QPointF& documentPoint)
{
    const double actual = level / HiResSupport::screenScaleFactor(this);
    if (!(actual > 0.0))
        return;
    // The document point stays where it is on the screen.
    const QPointF shownAt = viewportPointFromDocument(documentPoint);
    m_actualMagnification = actual;
    layoutDocumentView();
    horizontalScrollBar()->setValue(int(std::lround(kContentInset + documentPoint.x() * actual - shownAt.x())));
    verticalScrollBar()->setValue(int(std::lround(kContentInset + documentPoint.y() * actual - shownAt.y())));
    layoutDocumentView();
}

void SWScalingScrollView::setScaleFactor(double factor, bool adjustPopup)
{
    const double level = snapScaleFactor(factor);
    if (std::fabs(magnification() - level) < 1e-9)
        return;
    setMagnification(level);
    if (adjustPopup && m_scalePopUpButton) {
        const qsizetype index = scaleLevels().indexOf(level);
        if (index >= 0)
            m_scalePopUpButton->setCurrentIndex(int(index));
    }
    platform::NotificationCenter::defaultCenter().post(kScaleFactorDidChanged, this,
                                                       {{kScaleFactorKey, scaleFactor()}});
}

void SWScalingScrollView::setScaleFactorAtPoint(double factor, const QPointF&, bool adjustPopup)
{
    setScaleFactor(factor, adjustPopup);
}

void SWScalingScrollView::scalePopUpAction(int index)
{
    if (index < 0 || index >= scaleLevels().size())
        return;
    setScaleFactor(scaleLevels().at(index), false);
}

QRectF SWScalingScrollView::availableRectOfView(const QWidget* view) const
{
    if (!view)
        return QRectF();
    QRectF rect = view->geometry();
    if (const auto* scrollView = qobject_cast<const QAbstractScrollArea*>(view)) {
        if (scrollView->verticalScrollBar()->isVisible())
            rect.setWidth(rect.width() - scrollView->verticalScrollBar()->width());
        if (scrollView->horizontalScrollBar()->isVisible())
            rect.setHeight(rect.height() - scrollView->horizontalScrollBar()->height());
    }
    return rect;
}

QSizeF SWScalingScrollView::scaledDocumentSize() const
{
    return m_documentFrameSize * m_actualMagnification;
}

QPointF SWScalingScrollView::viewportPointFromDocument(const QPointF& documentPoint) const
{
    const QPointF origin = m_documentView ? QPointF(m_documentView->pos()) : QPointF(kContentInset, kContentInset);
    return origin + documentPoint * m_actualMagnification;
}

QPointF SWScalingScrollView::documentPointFromViewport(const QPointF& viewportPoint) const
{
    const QPointF origin = m_documentView ? QPointF(m_documentView->pos()) : QPointF(kContentInset, kContentInset);
    return (viewportPoint - origin) / m_actualMagnification;
}

QRectF SWScalingScrollView::documentVisibleRect() const
{
    if (!m_documentView)
        return QRectF();
    const QRectF shown = QRectF(m_documentView->geometry()).intersected(QRectF(viewport()->rect()));
    if (shown.isEmpty())
        return QRectF();
    const QPointF topLeft = documentPointFromViewport(shown.topLeft());
    const QPointF bottomRight = documentPointFromViewport(shown.bottomRight());
    return QRectF(topLeft, bottomRight)
        .intersected(QRectF(QPointF(0, 0), m_documentFrameSize));
}

void SWScalingScrollView::layoutDocumentView()
{
    if (m_laying)
        return;
    m_laying = true;
    const QSizeF scaled = scaledDocumentSize();
    const int width = int(std::ceil(scaled.width() - 1e-6));
    const int height = int(std::ceil(scaled.height() - 1e-6));
    const QSize shown = viewport()->size();
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    horizontal->setRange(0, std::max(0, width + 2 * kContentInset - shown.width()));
    horizontal->setPageStep(std::max(1, shown.width()));
    vertical->setRange(0, std::max(0, height + 2 * kContentInset - shown.height()));
    vertical->setPageStep(std::max(1, shown.height()));
    if (m_documentView)
        m_documentView->setGeometry(kContentInset - horizontal->value(), kContentInset - vertical->value(), width,
                                    height);
    viewport()->update();
    m_laying = false;
}

void SWScalingScrollView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layoutDocumentView();
    emit viewportResized();
}

void SWScalingScrollView::scrollContentsBy(int, int)
{
    layoutDocumentView();
    reflectScrolledClipView();
}

void SWScalingScrollView::reflectScrolledClipView()
{
    emit clipViewScrolled();
}

void SWScalingScrollView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (!m_scalePopUpButton)
        makeScalePopUpButton();
}

void SWScalingScrollView::makeScalePopUpButton()
{
    m_scalePopUpButton = new KZTexturalPopUpButton(false, kScalePopUpIdentifier, this);
    m_scalePopUpButton->setObjectName(kScalePopUpIdentifier);
    for (double level : scaleLevels())
        m_scalePopUpButton->addItem(QStringLiteral("%1%").arg(level * 100), level);
    const qsizetype current = scaleLevels().indexOf(snapScaleFactor(magnification()));
    m_scalePopUpButton->setCurrentIndex(current >= 0 ? int(current) : 2);
    m_scalePopUpButton->setFocusPolicy(Qt::NoFocus);
    QFont font = m_scalePopUpButton->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    m_scalePopUpButton->setFont(font);
    connect(m_scalePopUpButton, &QComboBox::activated, this, &SWScalingScrollView::scalePopUpAction);
    addScrollBarWidget(m_scalePopUpButton, Qt::AlignLeft);
    // The square between the two scrollers.
    m_scrollerSquareView = new KZTexturalView(kScrollerSquareIdentifier, this);
    setCornerWidget(m_scrollerSquareView);
}
