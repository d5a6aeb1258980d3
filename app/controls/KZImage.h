#pragma once

#include "KZEdgeInsets.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QSizeF>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// A skin image that can be cut into nine parts (four corners, four edges,
// a centre) and drawn stretched to any rectangle: the corners keep their
// size, the edges and the centre fill the rest. An uncut image is drawn
// whole, stretched. Images read from the bundle and their cuts live in a
// process-wide cache for the life of the program, so every name is read
// once and cut once per set of cut values.
//
// An image holds one or two representations (one and two pixels per point);
// its size is in points.
class KZImage : public std::enable_shared_from_this<KZImage> {
public:
    using Ptr = std::shared_ptr<KZImage>;

    // One of the nine parts: its representations, cut from the image's.
    struct Part {
        QList<QImage> representations;
        QSizeF size() const;
    };
    enum PartIndex { TopLeft, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight };

    static Ptr create(const QList<QImage>& representations);

    // The cached image of that name, uncut; null when the bundle has none.
    static Ptr imageNamed(const QString& name);
    // The cached image of that name cut at those values, loaded and cut on
    // first use; null when the bundle has none.
    static Ptr imageNamed(const QString& name, const KZEdgeInsets& capInsets);
    // Every cached image, in the order cached.
    static const std::vector<Ptr>& cache();
    // Images read from then on hold only the resolution that suits screens
    // of that pixel ratio (else the other one, drawn scaled); 0, the
    // default, reads every resolution there is.
    static void setScreenPixelRatio(double ratio);

    // The receiver itself for all-0 values, else a new cut copy (the cache
    // is not consulted).
    Ptr imageWithCapInsets(const KZEdgeInsets& capInsets);
    // Resolves the automatic value from the size and answers a cut image,
    // through the cache when the image has a stock name.
    Ptr resizableImageWithCapInsets(const KZEdgeInsets& capInsets);

    // Draws the image stretched to the rectangle, upright: a view whose y
    // grows downward shows it the same way up as any other.
    void drawInRect(QPainter& painter, const QRectF& rect,
                    QPainter::CompositionMode operation = QPainter::CompositionMode_SourceOver,
                    double fraction = 1.0) const;

    QSizeF size() const;
    QList<QImage> representations() const { return m_representations; }
    const std::array<Part, 9>& partImages() const { return m_parts; }
    void setPartImages(const std::array<Part, 9>& parts) { m_parts = parts; }
    KZEdgeInsets capInsets() const { return m_capInsets; }
    void setCapInsets(const KZEdgeInsets& insets) { m_capInsets = insets; }
    int resizingMode() const { return m_resizingMode; }
    void setResingMode(int mode) { m_resizingMode = mode; }
    QString stockName() const { return m_stockName; }
    void setStockName(const QString& name) { m_stockName = name; }

    // Same stock name and same cut values.
    bool isEqualTo(const KZImage* other) const;
    // Shares the representations and the parts.
    Ptr copy() const;

    // The representation that suits a device of that pixel ratio.
    static const QImage* representationFor(const QList<QImage>& representations, double devicePixelRatio);

private:
    explicit KZImage(const QList<QImage>& representations);
    void drawNinePart(QPainter& painter, const QRectF& rect) const;
    QList<QImage> m_representations;
    std::array<Part, 9> m_parts;
    KZEdgeInsets m_capInsets;
    int m_resizingMode = 0;
    QString m_stockName;
};
