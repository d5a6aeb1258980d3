#pragma once

#include "KZTexturalButtonCell.h"
#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/TargetAction.h"

#include <QAbstractButton>

#include <memory>

// The kit's push button: its bezel is a skin that shows normal, selected,
// hover and pressed looks, with an optional image and a title in the cell's
// text colour. A click never toggles the state: an on/off button shows the
// state its owner sets. A click inside sends the action to the target (or,
// without one, up the responder chain); a press released outside sends
// nothing but still ends the pressed look. The title is the button's
// accessible name.
class KZTexturalButton : public QAbstractButton, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit KZTexturalButton(QWidget* parent = nullptr);
    // Shadowless square bezel, empty title.
    KZTexturalButton(const QString& identifier, unsigned customControlType, QWidget* parent = nullptr);
    ~KZTexturalButton() override;

    unsigned customControlType() const { return m_customControlType; }
    KZTexturalButtonCell* cell() const { return m_cell.get(); }

    QString title() const { return m_cell->title(); }
    void setTitle(const QString& title);
    QImage image() const { return m_cell->image(); }
    void setImage(const QImage& image);
    QImage alternateImage() const { return m_cell->alternateImage(); }
    void setAlternateImage(const QImage& image);
    int state() const { return m_cell->state(); }
    void setState(int state);
    int bezelStyle() const { return m_cell->bezelStyle(); }
    void setBezelStyle(int style);
    bool isBordered() const { return m_cell->isBordered(); }
    void setBordered(bool bordered);
    int imagePosition() const { return m_cell->imagePosition(); }
    void setImagePosition(int position);
    int tag() const { return m_cell->tag(); }
    void setTag(int tag) { m_cell->setTag(tag); }
    std::optional<QColor> textColor() const { return m_cell->textColor(); }
    void setTextColor(const std::optional<QColor>& color);

    platform::TargetAction& targetAction() { return m_targetAction; }
    void setTarget(platform::Responder* target) { m_targetAction.setTarget(target); }
    void setAction(const QString& action) { m_targetAction.setAction(action); }

    KZTrackingAreaWrapper* trackingAreaWrapper() const { return m_trackingAreaWrapper.get(); }

    QSize sizeHint() const override;

    // From the tracking area.
    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

protected:
    // For subclasses with a cell of their own.
    KZTexturalButton(std::unique_ptr<KZTexturalButtonCell> cell, const QString& identifier,
                     std::optional<unsigned> customControlType, QWidget* parent);
    void postInitWithCustomControlType(unsigned type);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<KZTexturalButtonCell> m_cell;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
    platform::TargetAction m_targetAction;
    unsigned m_customControlType = 0;
    bool m_tracking = false;
};
