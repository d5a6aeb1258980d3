#pragma once

#include "platform/appkit/Responder.h"
#include "platform/appkit/TabView.h"

class KZTexturalSegmentedControl;
class KZTexturalView;

// A tab view whose tabs are a skinned label bar, 27 points high, carrying a
// skinned segmented control with one 60-point segment per page; each page
// sits on a skinned background view. The skin identifiers carry the tab
// view's own number in front, so each tab view may have skins of its own.
// The selector's action "changeTab:" shows the page of its selected segment.
class KZTabView : public platform::TabView, public platform::Responder {
    Q_OBJECT
public:
    static constexpr int kLabelBarHeight = 27;
    static constexpr int kSelectorX = 12;
    static constexpr int kSegmentWidth = 60;

    explicit KZTabView(QWidget* parent = nullptr);
    KZTabView(const QString& labelViewIdentifier, const QString& segmentIdentifier, const QString& tabviewIdentifier,
              QWidget* parent = nullptr);

    QString labelViewIdentifier() const { return m_labelViewIdentifier; }
    QString segmentIdentifier() const { return m_segmentIdentifier; }
    QString tabviewIdentifier() const { return m_tabviewIdentifier; }
    KZTexturalView* labelView() const { return m_labelView; }
    KZTexturalSegmentedControl* labelSegments() const { return m_labelSegments; }
    // The number in front of this tab view's skin identifiers.
    quint64 hash() const { return quint64(quintptr(this)); }

    // Below the label bar.
    QRect contentRect() const override;
    void changeTab(QObject* sender);

protected:
    void tabViewDidChangeNumberOfTabViewItems() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createSubviews();
    QString m_labelViewIdentifier = QStringLiteral("tab_label_view");
    QString m_segmentIdentifier = QStringLiteral("tab_seg");
    QString m_tabviewIdentifier = QStringLiteral("tab_tabview");
    KZTexturalView* m_labelView = nullptr;
    KZTexturalSegmentedControl* m_labelSegments = nullptr;
};
