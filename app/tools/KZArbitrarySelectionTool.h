#pragma once

#include "SWSelectionTool.h"

#include <QPointF>

#include <vector>

// The lasso ("Arbitrary Selection"): selects the inside of a free-hand
// outline drawn from the press point through every drag point. Lifted,
// floating and pasted like the rectangle selection; while floating its
// border is the selection's box.
class KZArbitrarySelectionTool : public SWSelectionTool {
public:
    explicit KZArbitrarySelectionTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QString description() const override { return QStringLiteral("Arbitrary Selection"); }
    // The outline: the box while floating, else the open free-hand line
    // (filling closes it).
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;
    void tieUpLooseEnds() override;

    const std::vector<QPointF>& nodes() const { return m_nodes; }
    void setNodes(const std::vector<QPointF>& nodes) { m_nodes = nodes; }

protected:
    QPainterPath borderPath() override;
    bool borderIsAntialiased() const override { return true; }
    bool borderIsRectangle() const override { return m_isSelected; }

private:
    void lift();

    std::vector<QPointF> m_nodes;
};
