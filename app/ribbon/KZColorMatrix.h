#pragma once

#include "KZColorButtonCell.h"
#include "SWMatrix.h"

#include "platform/appkit/ColorList.h"

#include <QHash>

#include <memory>

// A grid of colour swatches showing the colours of a list: in list order
// from the first cell, or, without front magnitude, newest first. Each
// swatch's tool tip and accessible name is its key in the list. Cells
// beyond the list have no colour and cannot be chosen.
class KZColorMatrix : public SWMatrix {
    Q_OBJECT
public:
    // A radio matrix of colour cells.
    KZColorMatrix(int rows, int columns, QWidget* parent = nullptr);
    ~KZColorMatrix() override;

    // The key a picked colour is kept under: "R G B", each 0 to 255.
    static QString userColorKey(const QColor& color);

    // The list is shared with whoever made it; null shows no colours.
    std::shared_ptr<platform::ColorList> colorList() const { return m_colorList; }
    void setColorList(std::shared_ptr<platform::ColorList> list);

    bool frontMagnitude() const { return m_frontMagnitude; }
    void setFrontMagnitude(bool front) { m_frontMagnitude = front; }

    // Gives the cells the list's colours again; the order comes from
    // frontMagnitude, whatever the flag says.
    void assignColors(bool flag);
    // Adds the colour under its key at the end of the list (a colour already
    // there moves to the end), shows the list again and selects the last
    // cell of the leading run of cells that have a colour.
    void appendColor(const QColor& color);
    // The action of a control that adds the colour panel's colour.
    void editColor(QObject* sender);

    KZColorButtonCell* colorCellAt(int row, int column) const;
    // The last cell of the leading run of coloured cells; null when the first
    // cell has no colour.
    KZColorButtonCell* lastColorCell() const;
    // The selected cell's colour; invalid without one.
    QColor selectedColor() const;

    QString toolTipForCell(const platform::ButtonCell* cell) const { return m_toolTips.value(cell); }
    void setToolTipForCell(const QString& toolTip, const platform::ButtonCell* cell);

    QString accessibleNameForCell(int row, int column) const override;
    QString accessibleDescriptionForCell(int row, int column) const override;

protected:
    bool event(QEvent* event) override;

private:
    std::shared_ptr<platform::ColorList> m_colorList;
    bool m_frontMagnitude = true;
    QHash<const platform::ButtonCell*, QString> m_toolTips;
};
