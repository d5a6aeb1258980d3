#pragma once

#include "KZTexturalPopUpButtonCell.h"
#include "KZTrackingAreaWrapper.h"

#include <QComboBox>

#include <memory>

// A pop-up button whose bezel is a skin with hover, pressed (menu open) and
// on looks, and whose title, the chosen item, is drawn in a chosen colour.
// The chosen item's title is also its accessible name.
class KZTexturalPopUpButton : public QComboBox, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit KZTexturalPopUpButton(QWidget* parent = nullptr);
    KZTexturalPopUpButton(bool pullsDown, const QString& identifier, QWidget* parent = nullptr);
    ~KZTexturalPopUpButton() override;

    KZTexturalPopUpButtonCell* cell() const { return m_cell.get(); }
    bool pullsDown() const { return m_pullsDown; }
    int state() const { return m_cell->state(); }
    void setState(int state);
    void setTextColor(const std::optional<QColor>& color);

    void showPopup() override;
    void hidePopup() override;
    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<KZTexturalPopUpButtonCell> m_cell;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
    bool m_pullsDown = false;
};
