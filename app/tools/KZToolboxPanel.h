#pragma once

#include "KZOrbStyleToolPanel.h"
#include "KZOrbStyleToolPanelDelegate.h"

#include "platform/appkit/Responder.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class KZColorPanel;
class KZDabBrushListView;
class KZMenu;
class KZOrbStyleToolPanelItem;
class KZPopupButtonAdv;
class KZShapePanelItem;
class KZTexturalButton;
class KZTexturalSegmentedControl;
class KZToolboxController;
class QCheckBox;
class QSpinBox;
class QToolButton;
class SWMatrix;

// The toolbox ribbon of one document: the groups "Paste", "Image", "Tools",
// "Brushes", "Shapes", "Size" and "Colors", fitted to its width by a tool
// panel. Every choice goes through the toolbox controller, and the controls
// follow the controller's properties whoever changed them.
//
// Every tool of the registry but the pixel-grid selections has a control
// here, named by the tool's label: the paint-tool rows, the brush button,
// the image group's selection button, the tool cells beside the rows, and
// the shapes matrix.
class KZToolboxPanel : public QWidget, public KZOrbStyleToolPanelDelegate, public platform::Responder {
    Q_OBJECT
public:
    static constexpr int kGroupHeight = 84;
    static constexpr int kCellSide = 24;
    static constexpr int kShapeRows = 2;

    // brushList becomes the content of the brush button's pop-up (not owned
    // until then); it may be null.
    KZToolboxPanel(KZToolboxController* controller, const QStringList& registryLabels,
                   KZDabBrushListView* brushList, QWidget* parent = nullptr);
    ~KZToolboxPanel() override;

    // The data source of the tool panel.
    QList<KZOrbStyleToolPanelItem*> allItems() const override;
    qint32 itemPriority(KZOrbStyleToolPanelItem* item) const override;
    QWidget* controlView() const override { return const_cast<KZToolboxPanel*>(this); }

    KZOrbStyleToolPanel* toolPanel() { return &m_toolPanel; }
    KZOrbStyleToolPanelItem* pastePanelItem() const { return m_paste; }
    KZOrbStyleToolPanelItem* selectionPanelItem() const { return m_image; }
    KZOrbStyleToolPanelItem* toolsPanelItem() const { return m_tools; }
    KZOrbStyleToolPanelItem* dabBrushPanelItem() const { return m_brushes; }
    KZShapePanelItem* shapesPanelItem() const { return m_shapes; }
    KZOrbStyleToolPanelItem* sizePanelItem() const { return m_size; }
    KZOrbStyleToolPanelItem* colorsPanelItem() const { return m_colors; }

    KZTexturalSegmentedControl* toolsSegments(int rowTag) const { return rowTag == 0 ? m_row0 : m_row1; }
    SWMatrix* toolMatrix() const { return m_toolMatrix; }
    SWMatrix* shapeMatrix() const { return m_shapeMatrix; }
    KZPopupButtonAdv* brushListButton() const { return m_brushListButton; }
    // The Image group's split button: its action part chooses the selection
    // tool it shows, its drop part offers both selection tools in a menu.
    KZPopupButtonAdv* selectionListButton() const { return m_selectionListButton; }
    KZMenu* selectionMenu() const { return m_selectionMenu; }
    QSpinBox* lineWidthField() const { return m_lineWidth; }
    KZColorPanel* colorPanel() const { return m_colorPanel; }
    // Every tool label that has a control here.
    QStringList reachableToolLabels() const { return m_reachable; }
    // The pixel-grid selection tools: registered, but offered by no control.
    static QStringList rasterSelectionToolLabels();

    // The width that shows every group with its controls, separators included.
    int preferredWidth() const;
    // The width of the narrowest arrangement (every group that may shrink
    // shrunk): below it the last controls would be cut off out of reach, so
    // the window is kept at least this wide.
    int smallestWidth() const { return m_smallestWidth; }

    // Frame changes of one turn of the event loop lay the groups out once.
    void sizeToFitSoon();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    KZOrbStyleToolPanelItem* makeGroup(KZOrbStyleToolPanelItem* item, const QString& title, QWidget* controls,
                                       const QString& icon);
    QWidget* buildPaste();
    QWidget* buildImage(const QStringList& registryLabels);
    QWidget* buildTools(const QStringList& registryLabels);
    QWidget* buildBrushes(KZDabBrushListView* brushList);
    QWidget* buildShapes(const QStringList& registryLabels);
    QWidget* buildSize();
    QWidget* buildColors();
    SWMatrix* makeCellMatrix(const QStringList& labels, int rows, const QString& iconPrefix, QWidget* parent);
    void chooseCell(SWMatrix* matrix);
    void showCurrentTool(const QString& label);

    QPointer<KZToolboxController> m_controller;
    KZOrbStyleToolPanel m_toolPanel;
    QTimer m_fitTimer;
    KZOrbStyleToolPanelItem* m_paste = nullptr;
    KZOrbStyleToolPanelItem* m_image = nullptr;
    KZOrbStyleToolPanelItem* m_tools = nullptr;
    KZOrbStyleToolPanelItem* m_brushes = nullptr;
    KZShapePanelItem* m_shapes = nullptr;
    KZOrbStyleToolPanelItem* m_size = nullptr;
    KZOrbStyleToolPanelItem* m_colors = nullptr;
    KZTexturalSegmentedControl* m_row0 = nullptr;
    KZTexturalSegmentedControl* m_row1 = nullptr;
    SWMatrix* m_toolMatrix = nullptr;
    SWMatrix* m_shapeMatrix = nullptr;
    KZPopupButtonAdv* m_selectionListButton = nullptr;
    KZTexturalButton* m_selectionActionPart = nullptr;
    KZMenu* m_selectionMenu = nullptr;
    KZPopupButtonAdv* m_brushListButton = nullptr;
    KZTexturalButton* m_brushActionPart = nullptr;
    QPointer<KZDabBrushListView> m_brushList;
    QSpinBox* m_lineWidth = nullptr;
    QCheckBox* m_fill = nullptr;
    QCheckBox* m_stroke = nullptr;
    KZColorPanel* m_colorPanel = nullptr;
    QStringList m_reachable;
    int m_smallestWidth = 0;
};
