#pragma once

#include <QCheckBox>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

class QCheckBox;
class QWidget;

namespace platform {
class PrintInfo;
}

// The print dialog's accessory: whether the picture is scaled to fit the
// page. The choice lives in the print information, not here; it starts
// from the ScaleImageToFitPage setting (absent: yes).
class SWPrintPanelAccessoryViewController {
public:
    SWPrintPanelAccessoryViewController();
    ~SWPrintPanelAccessoryViewController();

    void setRepresentedObject(platform::PrintInfo* printInfo);
    platform::PrintInfo* representedObject() const { return m_printInfo; }

    bool scaling() const;
    void setScaling(bool scaling);
    // The switch's action.
    void changeScaling();

    QWidget* view();

    // What the print dialog's summary lists for this accessory: one item,
    // "Scaling" with "On" or "Off" (name, description).
    QList<QPair<QString, QString>> localizedSummaryItems() const;
    // The properties whose change redraws the print preview.
    static QSet<QString> keyPathsForValuesAffectingPreview();

private:
    platform::PrintInfo* m_printInfo = nullptr; // not owned
    QPointer<QWidget> m_view;
    QPointer<QCheckBox> m_scaleSwitch;
};
