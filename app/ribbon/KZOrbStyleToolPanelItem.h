#pragma once

#include "KZPopupPanel.h"
#include "KZThinButton.h"

#include <QImage>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStringList>


// One group of the ribbon ("Paste", "Tools", "Colors"...): its controls
// with the title below them, or, in the "small" mode, a drop-down button
// with the group's icon and title that raises the controls in a pop-up.
// "normal" and "compact" both show the controls.
//
// Made in two steps, as an interface file would: the constructor builds the
// label, holders, pop-up and drop-down button; awakeFromNib() then takes
// the view with the controls and puts a fresh holder view in its place.
class KZOrbStyleToolPanelItem : public QObject {
    Q_OBJECT
public:
    static inline const QString kNormal = QStringLiteral("normal");
    static inline const QString kCompact = QStringLiteral("compact");
    static inline const QString kSmall = QStringLiteral("small");
    static inline const QString kMedian = QStringLiteral("median");
    // Room kept below the controls for the group's title.
    static constexpr int kTitleHeight = 16;

    explicit KZOrbStyleToolPanelItem(QObject* parent = nullptr);
    ~KZOrbStyleToolPanelItem() override;

    // The loaded controls become normalView; the group's view is new.
    virtual void awakeFromNib(QWidget* loadedView);

    QString title() const { return m_title; }
    void setTitle(const QString& title);
    QImage image() const;
    void setImage(const QImage& image);

    QStringList availableModes() const { return m_availableModes; }
    void setAvailableModes(const QStringList& modes);
    QString smallerMode(const QString& mode) const;
    QString largerMode(const QString& mode) const;
    bool shrink();
    bool enlarge();
    virtual bool switchToMode(const QString& mode);
    bool orderInView(QWidget* view);
    bool orderInDropDownButton();

    void raisePanel(QObject* sender = nullptr);
    void dismissesPopUp();
    void update();

    // The group's width, truncated; 0 without a view.
    qint32 size() const;
    QString mode() const { return m_mode; }
    QWidget* view() const { return m_view; }
    QWidget* normalView() const { return m_normalView; }
    KZThinButton* droplistButton() const { return m_droplistButton; }
    QWidget* contentView() const { return m_contentView; }
    QLabel* textField() const { return m_textField; }
    QWidget* currentView() const { return m_currentView; }
    QWidget* canvas() const { return m_canvas; }
    KZPopupPanel* popupPanel() const { return m_popupPanel; }

protected:
    void setMode(const QString& mode) { m_mode = mode; }
    bool switchToModeAsBase(const QString& mode);

private:
    void buildUserInterface();
    void layOutLabel();

    QString m_title;
    QString m_mode;
    QStringList m_availableModes;
    // The group owns its views while no host has taken them.
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_normalView;
    QPointer<KZThinButton> m_droplistButton;
    QPointer<QWidget> m_contentView;
    QPointer<QLabel> m_textField;
    QPointer<QWidget> m_canvas;
    QPointer<QWidget> m_currentView; // not owned
    QPointer<KZPopupPanel> m_popupPanel;
};
