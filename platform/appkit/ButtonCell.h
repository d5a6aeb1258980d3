#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;
class QWidget;

namespace platform {

// What a button shows and how: its title, image, state and bezel, kept
// apart from the widget so that one kind of cell can serve a button and
// every cell of a matrix alike. Drawing: the bezel (for bordered cells),
// then the image and the title placed by the image position.
class ButtonCell {
public:
    enum ImagePosition { NoImage = 0, ImageOnly = 1, ImageLeft = 2, ImageRight = 3,
                         ImageBelow = 4, ImageAbove = 5, ImageOverlaps = 6 };
    enum ImageScaling { ScaleProportionallyDown = 0, ScaleAxesIndependently = 1, ScaleNone = 2,
                        ScaleProportionallyUpOrDown = 3 };
    enum BezelStyle { BezelRounded = 1, BezelShadowlessSquare = 6, BezelTexturedSquare = 8,
                      BezelTexturedRounded = 11 };
    enum State { Off = 0, On = 1, Mixed = -1 };

    // A title with the look it asks for; the cell may override its colour.
    struct AttributedTitle {
        QString text;
        std::optional<QColor> color;
        std::optional<QFont> font;
    };

    ButtonCell() = default;
    virtual ~ButtonCell() = default;

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }
    QString title() const { return m_title.text; }
    void setTitle(const QString& title) { m_title.text = title; }
    AttributedTitle attributedTitle() const { return m_title; }
    void setAttributedTitle(const AttributedTitle& title) { m_title = title; }
    QImage image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }
    QImage alternateImage() const { return m_alternateImage; }
    virtual void setAlternateImage(const QImage& image) { m_alternateImage = image; }
    int state() const { return m_state; }
    virtual void setState(int state) { m_state = state; }
    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered) { m_bordered = bordered; }
    int bezelStyle() const { return m_bezelStyle; }
    void setBezelStyle(int style) { m_bezelStyle = style; }
    int imagePosition() const { return m_imagePosition; }
    void setImagePosition(int position) { m_imagePosition = position; }
    int imageScaling() const { return m_imageScaling; }
    void setImageScaling(int scaling) { m_imageScaling = scaling; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Unset: the view's font.
    std::optional<QFont> font() const { return m_font; }
    void setFont(const std::optional<QFont>& font) { m_font = font; }

    virtual void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view);
    virtual void drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view);
    // The image and the title.
    virtual void drawInteriorWithFrame(QPainter& painter, const QRectF& frame, QWidget* view);
    virtual void drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget* view);
    // Draws the title centred in the frame; answers the rectangle it took.
    virtual QRectF drawTitle(QPainter& painter, const AttributedTitle& title, const QRectF& frame, QWidget* view);

    virtual QRectF imageRectForBounds(const QRectF& bounds, QWidget* view) const;
    virtual QRectF titleRectForBounds(const QRectF& bounds, QWidget* view) const;

protected:
    QFont effectiveFont(const QWidget* view) const;
    QSizeF imageSizeInPoints(const QImage& image) const;

private:
    QSizeF titleSize(const QWidget* view) const;
    QString m_identifier;
    AttributedTitle m_title;
    QImage m_image;
    QImage m_alternateImage;
    int m_state = Off;
    bool m_enabled = true;
    bool m_highlighted = false;
    bool m_bordered = true;
    int m_bezelStyle = BezelRounded;
    int m_imagePosition = ImageLeft;
    int m_imageScaling = ScaleProportionallyDown;
    int m_tag = 0;
    std::optional<QFont> m_font;
};

} // namespace platform
