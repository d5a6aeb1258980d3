#pragma once

#include "KZOrbStyleToolPanelItem.h"

#include <QSize>

class QScrollArea;
class SWMatrix;

// The shapes group: a scrolling matrix of shape buttons that may also show
// at half its width ("median"), whatever modes the group lists.
class KZShapePanelItem : public KZOrbStyleToolPanelItem {
    Q_OBJECT
public:
    explicit KZShapePanelItem(QObject* parent = nullptr);

    void awakeFromNib(QWidget* loadedView) override;
    bool switchToMode(const QString& mode) override;

    SWMatrix* shapeMatrix() const { return m_shapeMatrix; }
    void setShapeMatrix(SWMatrix* matrix) { m_shapeMatrix = matrix; }
    QScrollArea* scrollView() const { return m_scrollView; }
    void setScrollView(QScrollArea* scrollView) { m_scrollView = scrollView; }
    QSize normalSize() const { return m_normalSize; }
    QSize medianSize() const { return m_medianSize; }

private:
    SWMatrix* m_shapeMatrix = nullptr;  // inside normalView
    QScrollArea* m_scrollView = nullptr; // inside normalView
    QSize m_normalSize;
    QSize m_medianSize;
};
