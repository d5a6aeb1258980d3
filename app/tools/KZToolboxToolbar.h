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
// "Tools", "Shape", "Selection", a flexible space, "Color", "Size", then the
// window's own "Fonts" and "Print" items. Each choice goes to the toolbox
// controller (or, for the zoom, the fonts and printing, to the document),
// and the controls follow the controller whoever changed it. The "Brush"
// item is made too, for whoever asks for it by its identifier, but it is
// not one of the toolbar's items.
class KZToolboxToolbar : public QWidget, public platform::Responder {
    Q_OBJECT
public:
    static constexpr int kHeight = 40;

    explicit KZToolboxToolbar(KZToolboxController* controller, QWidget* parent = nullptr);
    ~KZToolboxToolbar() override;

    // The window's own items, which send their actions up the chain.
    static const QString kShowFontsItemIdentifier;
    static const QString kPrintItemIdentifier;

    // The toolbar's item identifiers, in order ("" is the flexible space).
    static QStringList defaultItemIdentifiers();
    // The view of a toolbar item, or null for another identifier.
    QWidget* viewForItemIdentifier(const QString& identifier) const;

    KZTexturalSegmentedControl* eggsToolsToolbarItemView() const { return m_tools; }
    KZTexturalSegmentedControl* eggsZoomToolbarItemView() const { return m_zoom; }
    QWidget* eggsShapeToolbarItemView() const { return m_shapeItem; }
    QWidget* eggsSelectionToolbarItemView() const { return m_selectionItem; }
    QWidget* eggsBrushToolbarItemView() const { return m_brushItem; }
    QSpinBox* eggsSizeToolbarItemView() const { return m_size; }
    SWColorSelector* eggsColorSelector() const { return m_colorSelector; }
    KZTexturalButton* eggsShapePopUpButton() const { return m_shapeButton; }
    KZTexturalButton* eggsSelectionPopUpButton() const { return m_selectionButton; }
    KZTexturalButton* eggsBrushPopUpButton() const { return m_brushButton; }
    KZTexturalButton* showFontsButton() const { return m_showFontsButton; }
    KZTexturalButton* printButton() const { return m_printButton; }
    QMenu* shapeMenu() const { return m_shapeMenu; }
    QMenu* selectionMenu() const { return m_selectionMenu; }

private:
    QWidget* item(const QString& label, QWidget* control);
    KZTexturalButton* popUpButton(const QString& name, const QString& icon, QMenu* menu, QWidget* parent);
    KZTexturalButton* windowItemButton(const QString& name, const QString& icon, const QString& action,
                                       const QString& description);
    void showCurrentTool(const QString& label);

    QPointer<KZToolboxController> m_controller;
    KZTexturalSegmentedControl* m_tools = nullptr;
    KZTexturalSegmentedControl* m_zoom = nullptr;
    QWidget* m_shapeItem = nullptr;
    QWidget* m_selectionItem = nullptr;
    KZTexturalButton* m_shapeButton = nullptr;
    KZTexturalButton* m_selectionButton = nullptr;
    QWidget* m_brushItem = nullptr;
    KZTexturalButton* m_brushButton = nullptr;
    KZTexturalButton* m_showFontsButton = nullptr;
    KZTexturalButton* m_printButton = nullptr;
    QMenu* m_shapeMenu = nullptr;
    QMenu* m_selectionMenu = nullptr;
    QSpinBox* m_size = nullptr;
    SWColorSelector* m_colorSelector = nullptr;
    QHash<QString, QWidget*> m_items;
};
