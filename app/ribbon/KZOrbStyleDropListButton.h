#pragma once

#include "KZDropListButtonCell.h"

#include <QAbstractButton>

#include <memory>

// A push button with the drop-list look of its cell. The cell is shown
// highlighted while the button is held down. The title is the button's
// accessible name.
class KZOrbStyleDropListButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit KZOrbStyleDropListButton(QWidget* parent = nullptr);
    ~KZOrbStyleDropListButton() override;

    KZDropListButtonCell* cell() const { return m_cell.get(); }
    QString title() const { return m_cell->title(); }
    void setTitle(const QString& title);
    QImage image() const { return m_cell->image(); }
    void setImage(const QImage& image);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<KZDropListButtonCell> m_cell;
};
