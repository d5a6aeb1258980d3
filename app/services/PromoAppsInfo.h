#pragma once

#include <QRectF>
#include <QString>
#include <QUrl>

#include <memory>

// One promotion window to show: its title, content size and place, whether
// it is centred on its screen, and the page it shows.
class PromoAppsInfo {
public:
    static std::shared_ptr<PromoAppsInfo> promoAppsInfo() { return std::make_shared<PromoAppsInfo>(); }

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QRectF contentFrame() const { return m_contentFrame; }
    void setContentFrame(const QRectF& frame) { m_contentFrame = frame; }
    bool centered() const { return m_centered; }
    void setCentered(bool centered) { m_centered = centered; }
    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url) { m_url = url; }

private:
    QString m_title;
    QRectF m_contentFrame;
    bool m_centered = false;
    QUrl m_url;
};
