#pragma once

#include "platform/foundation/ObservableProperty.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

class KZColorPanel;
class KZOrbStyleToolPanel;
class SWColorSelector;

// The drawing settings of one document: the current tool's label, line
// width, colours, fill style and selection transparency. Every choice in the
// tool controls ends as a change of one of these properties; the registry,
// the tools and the document observe them. Observers hear of every set, even
// of an unchanged value, because the registry's updateInfo() relies on it.
class KZToolboxController : public QObject {
    Q_OBJECT
public:
    explicit KZToolboxController(QObject* parent = nullptr);
    ~KZToolboxController() override;

    // Key paths of the observed properties.
    static const QString kCurrentTool;
    static const QString kLineWidth;
    static const QString kForegroundColor;
    static const QString kBackgroundColor;
    static const QString kSelectedColor;
    static const QString kFillStyle;
    static const QString kSelectionTransparency;

    // Fill style bits.
    static constexpr int FillBit = 1;
    static constexpr int StrokeBit = 16;

    QString currentTool() const { return m_currentTool.get(); }
    void setCurrentTool(const QString& label) { m_currentTool.set(label); }

    qint64 lineWidth() const { return m_lineWidth.get(); }
    void setLineWidth(qint64 width) { m_lineWidth.set(width); }
    qint64 lineWidthDisplay() const { return lineWidth(); }
    void setLineWidthDisplay(qint64 width) { setLineWidth(width); }

    QColor foregroundColor() const { return m_foregroundColor.get(); }
    // An invalid colour is ignored.
    void setForegroundColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor.get(); }
    void setBackgroundColor(const QColor& color);
    QColor selectedColor() const { return m_selectedColor.get(); }
    void setSelectedColor(const QColor& color) { m_selectedColor.set(color); }

    qint32 fillStyle() const { return m_fillStyle.get(); }
    void setFillStyle(qint32 style) { m_fillStyle.set(style); }

    bool selectionTransparency() const { return m_selectionTransparency.get(); }
    void setSelectionTransparency(bool on) { m_selectionTransparency.set(on); }

    // Key-path observation: the handler gets the new value after every set of
    // that property. Remove an owner's observations before it dies.
    using Observer = std::function<void(const QVariant& newValue)>;
    void addObserver(const void* owner, const QString& keyPath, Observer handler);
    void removeObserver(const void* owner, const QString& keyPath);
    void removeObserver(const void* owner);
    bool isObserving(const void* owner, const QString& keyPath) const;

    // Fixed lists: paint tools read three to a row; selection tools by tag.
    const QStringList& paintTools() const { return m_paintTools; }
    const QStringList& selectionTools() const { return m_selectionTools; }

    // The two paint-tool rows (tags 0 and 1) are select-one segment rows;
    // -1 means no segment of the row is selected.
    int selectedPaintSegment(int rowTag) const;

    // Actions of the tool controls. The sender's state is passed as values.
    void changePaintTool(int rowTag, int selectedSegment);
    void changeToEggsTool(int selectedSegment);
    void changeShapeTool(const QString& selectedCellTitle);
    void changeToEggsShape(int tag);
    void changeBrushTool();
    void changeSelectionTool(int tag) { changeSelectionToolWithTag(tag); }
    void changeSelectionToolWithTag(int tag);
    void switchToScissors();
    void changeLineSize(int tag);
    void changeFillStyle(int tag);
    // The sender's state after its own toggle: on sets the bit, off clears it.
    void changeFill(bool senderStateOn);
    void changeStroke(bool senderStateOn);
    void changeFillMethod() {}
    void changeStrokeMethod() {}
    void changeSelectionTransparency();
    void flipColors();
    void dismissPopUpPanel();

    // The ribbon colour group's wells: the front and back colour, and the
    // colour last taken in. A colour from the shared colour panel goes into
    // the front well (the group's chosen one) and becomes the front colour
    // when the panel's change notification arrives.
    QColor panelFirstColor() const { return m_panelFirstColor; }
    QColor panelSecondColor() const { return m_panelSecondColor; }
    // The document passes the colour panel's colour on here; the colour
    // group takes it and keeps it among the user swatches.
    void changeColor(const QColor& color);
    // The colour panel changed: the settings follow the colour group.
    void colorChanged();
    // A toolbar colour well announced a change ("SWColorSet"): the settings
    // follow the toolbar's front and back wells.
    void eggsColorChanged();
    // The colour group's selected colour and the toolbar's front well take
    // the colour.
    void setColor(const QColor& color);
    // The window toolbar's colour selector (not owned; its owner clears it
    // before it goes).
    SWColorSelector* toolbarColorSelector() const;
    void setToolbarColorSelector(SWColorSelector* selector);
    // Makes the window toolbar whose selector is not made yet (the window
    // makes its toolbar when it first shows). The wells answer colour
    // changes as if the toolbar had always been there; an empty function
    // for a controller without one.
    void setToolbarMaker(std::function<void()> maker) { m_toolbarMaker = std::move(maker); }

    // Publishes the current settings again so that every observer receives
    // them, and re-selects the tool of the first paint-tool row.
    void updateInfo();
    void update();

    // The view that shows the controls (not owned; the window owns it).
    QWidget* view() const { return m_view; }
    void setView(QWidget* view) { m_view = view; }

    // Chooses a tool by its label the way the ribbon's controls do (paint
    // rows, brush button, selection list, or a titled cell for the rest).
    void chooseToolWithLabel(const QString& label);

    // The ribbon's layout table: the priority of the group with that title
    // in that mode; 0 for a pair the table does not hold.
    static qint32 itemPriority(const QString& title, const QString& mode);
    // The ribbon's tool panel, whose pop-ups the actions close (not owned;
    // its owner clears it before it goes).
    KZOrbStyleToolPanel* toolPanel() const { return m_toolPanel; }
    // The ribbon's colour group: it shows the two colours, and the colours
    // are read from it when the shared colour panel reports a change.
    KZColorPanel* colorPanel() const;
    void setColorPanel(KZColorPanel* panel);
    void setToolPanel(KZOrbStyleToolPanel* panel) { m_toolPanel = panel; }

private:
    void configDefaultValues();
    void postInit();
    void deselectAll();

    platform::ObservableProperty<QString> m_currentTool;
    platform::ObservableProperty<qint64> m_lineWidth;
    platform::ObservableProperty<QColor> m_foregroundColor;
    platform::ObservableProperty<QColor> m_backgroundColor;
    platform::ObservableProperty<QColor> m_selectedColor;
    platform::ObservableProperty<qint32> m_fillStyle;
    platform::ObservableProperty<bool> m_selectionTransparency;

    QColor m_panelFirstColor;
    QColor m_panelSecondColor;
    QColor m_panelSelectedColor;

    QStringList m_paintTools;
    QStringList m_selectionTools;
    int m_paintSegment[2] = {-1, -1};
    int m_selectionListItem = 0;
    QPointer<QWidget> m_view;
    KZOrbStyleToolPanel* m_toolPanel = nullptr;
    QPointer<QWidget> m_colorPanel; // a KZColorPanel
    QPointer<QWidget> m_toolbarColorSelector; // a SWColorSelector
    std::function<void()> m_toolbarMaker;
    // The toolbar's selector, the toolbar made first if it is still to be.
    SWColorSelector* madeToolbarColorSelector();
};
