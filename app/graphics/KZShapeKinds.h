#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>

struct KZGraphicElementClass;

// The 23 predefined shapes, in the order of the tool registry: each a label
// (the tool's label) and an outline, normalised so that its bounds (without
// curve control points) are exactly the unit square. Canvas y grows down, so
// a sample's y = 0 is the top of the drawn shape.
class KZShapeKinds {
public:
    KZShapeKinds() = delete;

    static const QStringList& labels();
    // The normalised outline of a kind; empty for an unknown label.
    static QPainterPath sample(const QString& label);
    // The element class of a kind: its label, a shape builder with its
    // sample, the shape editor. Null for an unknown label.
    static const KZGraphicElementClass* elementClass(const QString& label);
};
