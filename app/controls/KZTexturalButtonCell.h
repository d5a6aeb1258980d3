#pragma once

#include "KZCustomControlActions.h"
#include "KZTexturalSkin.h"

#include "platform/appkit/ButtonCell.h"

#include <QColor>

#include <memory>
#include <optional>

// The cell of a skinned button: keeps the skin and the state bits that
// choose its layers. A momentary cell (type 1) shows normal, hover and
// pressed; an on/off cell (type 2) shows selected in place of normal while
// its state is on, and its alternate image then. While disabled the skin
// is not shown the hover and pressed bits (the cell keeps them). Titles are
// drawn in the cell's text colour, white unless changed.
class KZTexturalButtonCell : public platform::ButtonCell, public KZCustomControlActions {
public:
    enum ControlType : unsigned { TypeNotGiven = 0, Momentary = 1, OnOff = 2 };

    KZTexturalButtonCell();
    ~KZTexturalButtonCell() override;

    // The type given (1 or 2), or chosen by the bezel style when none is.
    void constructWithCustomControlType(std::optional<unsigned> type);
    // Makes the skin once the cell has an identifier.
    void createTexturalSkin();
    void refreshTexturalState();
    void changeTexturalSkinState();
    void resetHighlightedState();

    unsigned customControlType() const { return m_customControlType; }
    void setCustomControlType(unsigned type);
    std::uint64_t texturalState() const { return m_texturalState; }
    KZTexturalSkin* texturalSkin() const { return m_texturalSkin.get(); }
    void setTexturalSkin(std::unique_ptr<KZTexturalSkin> skin);
    std::optional<QColor> textColor() const { return m_textColor; }
    void setTextColor(const std::optional<QColor>& color) { m_textColor = color; }

    void setState(int state) override;
    void setEnabled(bool enabled) override;

    void customControlDrawWithFrame(QWidget* control, QPainter& painter, const QRectF& frame,
                                    const QVariantMap& userInfo) override;
    void customControlMouseDown(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseUp(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseEntered(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseExited(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;

    // The skin is the bezel, drawn once per paint whether or not the cell is
    // bordered.
    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override;
    void drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget* view) override;
    QRectF drawTitle(QPainter& painter, const AttributedTitle& title, const QRectF& frame, QWidget* view) override;

private:
    void setBit(std::uint64_t bit, bool on);
    std::unique_ptr<KZTexturalSkin> m_texturalSkin;
    std::uint64_t m_texturalState = KZMultiStateTexture::Normal;
    unsigned m_customControlType = Momentary;
    std::optional<QColor> m_textColor;
};
