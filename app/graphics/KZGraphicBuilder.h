#pragma once

#include "KZKeyboardResponder.h"
#include "KZMouseResponder.h"

#include <QCursor>
#include <QRectF>

#include <memory>
#include <optional>

class KZGraphicElement;
class KZGraphicsContext;
class QPainter;
class SWImageDataSource;

// Turns a gesture into a new element. The vector tool makes one from its
// element class when it starts building, feeds it the mouse, and takes the
// element once it reports hasCreated().
class KZGraphicBuilder : public KZMouseResponder, public KZKeyboardResponder {
public:
    explicit KZGraphicBuilder(KZGraphicsContext* context)
        : m_context(context)
    {
    }

    virtual void setImageDataSource(SWImageDataSource* dataSource) { m_dataSource = dataSource; }
    SWImageDataSource* imageDataSource() const { return m_dataSource; }
    KZGraphicsContext* context() const { return m_context; }

    // A cursor of the builder's own; none (the default) leaves the tool's.
    virtual std::optional<QCursor> cursor() { return std::nullopt; }
    // Draws the shape being built and answers the area it covers. A null
    // painter draws nothing and still answers the area.
    virtual QRectF draw(QPainter* painter) = 0;
    // The element being built.
    virtual std::shared_ptr<KZGraphicElement> element() const = 0;

private:
    KZGraphicsContext* m_context;             // not owned: the tool's, which outlives its builders
    SWImageDataSource* m_dataSource = nullptr; // not owned: the document's store
};
