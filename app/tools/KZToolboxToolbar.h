#pragma once

#include "platform/appkit/Responder.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class QMenu;
class KZTexturalButton;
class KZTexturalSegmentedControl;
class KZToolboxController;
class QSpinBox;
class SWColorSelector;

// The window toolbar's tool controls, in the toolbar's order: "Zoom",
// "Tools", "Shape", "Selection", a flexible space, "Color", "Size". Each
// choice goes to the toolbox controller (or, for the zoom, to the
// document), and the controls follow the controller whoever changed it.
class KZToolboxToolbar : public QWidget, public platform::Responder {
    Q_OBJECT
public:
    static constexpr int kHeight = 40;

    explicit KZToolboxToolbar(KZToolboxController* controller, QWidget* parent = nullptr);
    ~KZToolboxToolbar() override;

    // The toolbar's item identifiers, in order ("" is the flexible space).
    static QStringList defaultItemIdentifiers();
    // The view of a toolbar item, or null for another identifier.
    QWidget* viewForItemIdentifier(const QString& identifier) const;

    KZTexturalSegmentedControl* eggsToolsToolbarItemView() const { return m_tools; }
    KZTexturalSegmentedControl* eggsZoomToolbarItemView() const { return m_zoom; }
    QWidget* eggsShapeToolbarItemView() const { return m_shapeItem; }
    QWidget* eggsSelectionToolbarItemView() const { return m_selectionItem; }
    QSpinBox* eggsSizeToolbarItemView() const { return m_size; }
    SWColorSelector* eggsColorSelector() const { return m_colorSelector; }
    KZTexturalButton* eggsShapePopUpButton() const { return m_shapeButton; }
    KZTexturalButton* eggsSelectionPopUpButton() const { return m_selectionButton; }
    QMenu* shapeMenu() const { return m_shapeMenu; }
    QMenu* selectionMenu() const { return m_selectionMenu; }

private:
    QWidget* item(const QString& label, QWidget* control);
    KZTexturalButton* popUpButton(const QString& name, const QString& icon, QMenu* menu, QWidget* parent);
    void showCurrentTool(const QString& label);

    QPointer<KZToolboxController> m_controller;
    KZTexturalSegmentedControl* m_tools = nullptr;
    KZTexturalSegmentedControl* m_zoom = nullptr;
    QWidget* m_shapeItem = nullptr;
    QWidget* m_selectionItem = nullptr;
    KZTexturalButton* m_shapeButton = nullptr;
    KZTexturalButton* m_selectionButton = nullptr;
    QMenu* m_shapeMenu = nullptr;
    QMenu* m_selectionMenu = nullptr;
    QSpinBox* m_size = nullptr;
    SWColorSelector* m_colorSelector = nullptr;
    QHash<QString, QWidget*> m_items;
};
