#pragma once

#include "KZMultiStateTexture.h"

#include <QColor>
#include <QWidget>

#include <memory>

// A plain view that paints a background colour and then the skin named by
// its identifier, always in the normal state: the background of tab pages,
// pop-up panels, separator lines and scroll-bar corners.
class KZTexturalView : public QWidget {
    Q_OBJECT
public:
    explicit KZTexturalView(QWidget* parent = nullptr);
    explicit KZTexturalView(const QString& identifier, QWidget* parent = nullptr);
    ~KZTexturalView() override;

    QString identifier() const;
    void setIdentifier(const QString& identifier);

    // Made on first use from the identifier with automatic cuts; null while
    // the identifier is empty. Once made it stays, whatever the identifier
    // becomes later.
    virtual KZMultiStateTexture* texturalSkin();

    // Invalid (the default): no fill under the skin.
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    std::unique_ptr<KZMultiStateTexture> m_texture;

private:
    QColor m_backgroundColor;
};
