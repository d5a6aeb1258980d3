#pragma once

#include "KZCustomControlActions.h"
#include "KZTexturalSkin.h"

#include "platform/appkit/SegmentedCell.h"

#include <QColor>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

// The cell of a skinned segmented control: one skin and one set of state
// bits per segment. Segment i's skin is "segindex<i>_<identifier>_<word>"
// with the word "left" for the first segment, "right" for the last and
// "middle" between; the fallback of skin names lets every control share the
// images of, say, "seg_left". The selected segment shows selected, the
// others normal; the segment under the mouse adds hover and the pressed one
// pressed. Labels are drawn in the text colour, white unless changed.
class KZTexturalSegmentedCell : public platform::SegmentedCell, public KZCustomControlActions {
public:
    static const QString& segmentIndexKey(); // "kKeySegmentIndex"

    KZTexturalSegmentedCell();
    ~KZTexturalSegmentedCell() override;

    // New state bits (1 for every segment) and, with an identifier, new
    // skins; then the selection looks.
    void construct();
    void refreshSelectedSegmentState();

    void setSegmentCount(int count) override;
    void setSelected(bool selected, int segment) override;
    void setSelectedSegment(int segment) override;

    static QString segmentSkinIdentifier(int segment, int count, const QString& identifier);
    KZTexturalSkin* texturalSkin(int segment) const;
    std::uint64_t texturalState(int segment) const;
    void setTexturalState(std::uint64_t state, int segment);
    void addTexturalState(std::uint64_t state, int segment);
    void removeTexturalState(std::uint64_t state, int segment);
    const std::vector<std::unique_ptr<KZTexturalSkin>>& texturalSkinArray() const { return m_skins; }
    const QVector<std::uint64_t>& texturalStateArray() const { return m_states; }
    std::optional<QColor> textColor() const { return m_textColor; }
    void setTextColor(const std::optional<QColor>& color) { m_textColor = color; }

    // Where each segment is drawn in a control of that size (also the
    // extents the accessibility tree reports).
    QVector<QRectF> drawingRects(const QSizeF& controlSize) const;

    void customControlDrawWithFrame(QWidget* control, QPainter& painter, const QRectF& frame,
                                    const QVariantMap& userInfo) override;
    void customControlMouseDown(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseUp(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseEntered(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseExited(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;
    void customControlMouseMoved(QWidget* control, QEvent* event, const QVariantMap& userInfo) override;

private:
    bool valid(int segment) const { return segment >= 0 && segment < m_states.size(); }
    // Gives that bit to the one segment and takes it from every other.
    void moveBitTo(std::uint64_t bit, int segment);
    void applyStates();
    std::vector<std::unique_ptr<KZTexturalSkin>> m_skins;
    QVector<std::uint64_t> m_states;
    std::optional<QColor> m_textColor;
};
