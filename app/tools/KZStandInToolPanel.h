#pragma once

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class KZToolboxController;
class QButtonGroup;
class QSpinBox;
class QToolButton;

// Plain controls standing in for the ribbon's tool groups: a button for every
// tool label of the registry, the line width and the two colours. Every
// choice goes through the toolbox controller, exactly as the ribbon's will,
// and the controls follow the controller's properties.
class KZStandInToolPanel : public QWidget {
    Q_OBJECT
public:
    // Every control carries an accessible name (a tool's label, "Size",
    // "Color 1", "Color 2"): that is how the end-to-end tests find it.
    static constexpr int kMargin = 4;
    static constexpr int kButtonWidth = 112;
    static constexpr int kButtonHeight = 24;
    static constexpr int kColumns = 8;

    KZStandInToolPanel(KZToolboxController* controller, const QStringList& toolLabels, QWidget* parent = nullptr);
    ~KZStandInToolPanel() override;

    QToolButton* buttonForLabel(const QString& label) const { return m_buttons.value(label); }
    QSpinBox* lineWidthField() const { return m_lineWidth; }
    QToolButton* foregroundWell() const { return m_foregroundWell; }
    QToolButton* backgroundWell() const { return m_backgroundWell; }

private:
    void chooseColor(bool foreground);
    void showCurrentTool(const QString& label);
    static void paintWell(QToolButton* well, const QColor& color);

    QPointer<KZToolboxController> m_controller;
    QHash<QString, QToolButton*> m_buttons;
    QButtonGroup* m_group = nullptr;
    QSpinBox* m_lineWidth = nullptr;
    QToolButton* m_foregroundWell = nullptr;
    QToolButton* m_backgroundWell = nullptr;
};
