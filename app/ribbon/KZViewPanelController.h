#pragma once

#include "KZOrbStyleToolPanel.h"
#include "KZOrbStyleToolPanelDelegate.h"

#include <QCheckBox>
#include <QObject>
#include <QPointer>
#include <QTimer>

class KZThinButton;

class QWidget;

// The ribbon's view tab: the "Scale" group (zoom buttons) and the "Show"
// group (the grid check box), laid out by a tool panel whose data source
// this is. The controls send the document's actions up the responder chain.
class KZViewPanelController : public QObject, public KZOrbStyleToolPanelDelegate {
    Q_OBJECT
public:
    explicit KZViewPanelController(QObject* parent = nullptr);
    ~KZViewPanelController() override;

    // The controller's view: made here, owned by whoever it is placed in
    // (deleted with the controller while it has no parent).
    QWidget* view() const { return m_view; }

    QList<KZOrbStyleToolPanelItem*> allItems() const override;
    qint32 itemPriority(KZOrbStyleToolPanelItem* item) const override;
    QWidget* controlView() const override { return m_view; }
    // The layout table: 0 for a pair it does not hold.
    static qint32 itemPriority(const QString& title, const QString& mode);

    void didChangedFrame();
    void update();
    void dismissPopUpPanel();

    KZOrbStyleToolPanel* panel() { return &m_panel; }
    KZOrbStyleToolPanelItem* scaleItem() const { return m_scaleItem; }
    KZOrbStyleToolPanelItem* showItem() const { return m_showItem; }
    QCheckBox* showGridCheckBox() const { return m_showGridCheckBox; }
    QCheckBox* showToolbarCheckBox() const { return m_showToolbarCheckBox; }
    KZThinButton* zoomInButton() const { return m_zoomInButton; }
    KZThinButton* zoomOutButton() const { return m_zoomOutButton; }
    KZThinButton* actualSizeButton() const { return m_actualSizeButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void awakeFromNib();

    QPointer<QWidget> m_view;
    KZOrbStyleToolPanel m_panel;
    KZOrbStyleToolPanelItem* m_scaleItem = nullptr;
    KZOrbStyleToolPanelItem* m_showItem = nullptr;
    QPointer<QCheckBox> m_showGridCheckBox;
    QPointer<QCheckBox> m_showToolbarCheckBox;
    KZThinButton* m_zoomInButton = nullptr;
    KZThinButton* m_zoomOutButton = nullptr;
    KZThinButton* m_actualSizeButton = nullptr;
};
