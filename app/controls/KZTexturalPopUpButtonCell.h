#pragma once

#include "KZMultiStateTexture.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QRectF;
class QWidget;

// The look of a skinned pop-up button: a bezel skin whose bits are normal,
// plus hover while the mouse is over the button, plus pressed while its
// menu is open, plus selected while its state is on; and the title in the
// text colour, white unless changed.
class KZTexturalPopUpButtonCell {
public:
    KZTexturalPopUpButtonCell();
    ~KZTexturalPopUpButtonCell();

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }
    // Makes the skin from the identifier (none without one).
    void construct();

    KZMultiStateTexture* skin() const { return m_skin.get(); }
    void setSkin(std::unique_ptr<KZMultiStateTexture> skin) { m_skin = std::move(skin); }
    bool isHovered() const { return m_hovered; }
    void setIsHovered(bool hovered) { m_hovered = hovered; }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    int state() const { return m_state; }
    void setState(int state) { m_state = state; }
    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered) { m_bordered = bordered; }
    std::optional<QColor> textColor() const { return m_textColor; }
    void setTextColor(const std::optional<QColor>& color) { m_textColor = color; }

    std::uint64_t stateBits() const;
    // The bezel once, then the title.
    void drawWithFrame(QPainter& painter, const QRectF& frame, const QString& title, QWidget* view);
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view);
    void drawTitle(QPainter& painter, const QString& title, const QRectF& frame, QWidget* view);

private:
    QString m_identifier;
    std::unique_ptr<KZMultiStateTexture> m_skin;
    bool m_hovered = false;
    bool m_highlighted = false;
    bool m_bordered = true;
    int m_state = 0;
    std::optional<QColor> m_textColor;
};
