// What an accessibility client (a screen reader, or the end-to-end tests)
// finds in a document window: every tool, brush and the canvas under a name
// of its own, and no control without a name.
#include "KZDabBrushListView.h"
#include "KZPopupButtonAdv.h"
#include "KZTexturalButton.h"
#include "KZPopupPanel.h"
#include "KZToolboxPanel.h"
#include "SWDocument.h"
#include "SWToolbox.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/foundation/UserDefaults.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Node {
    QString name;
    QString description;
    QAccessible::Role role;
    bool shown;
};

void collect(QAccessibleInterface* node, bool parentShown, int depth, std::vector<Node>& nodes)
{
    if (!node || !node->isValid() || depth > 64)
        return;
    const bool shown = parentShown && !node->state().invisible;
    nodes.push_back({node->text(QAccessible::Name), node->text(QAccessible::Description), node->role(), shown});
    for (int i = 0; i < node->childCount(); ++i)
        collect(node->child(i), shown, depth + 1, nodes);
}

// Controls a user operates (not labels, panes or scroll bars).
bool operated(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::EditableText:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

std::vector<const Node*> named(const std::vector<Node>& nodes, const QString& name)
{
    std::vector<const Node*> found;
    for (const Node& node : nodes)
        if (node.name == name)
            found.push_back(&node);
    return found;
}

// The controls a user can reach now: the hidden window toolbar repeats
// some of the ribbon's names.
std::vector<const Node*> shownNamed(const std::vector<Node>& nodes, const QString& name)
{
    std::vector<const Node*> found;
    for (const Node* node : named(nodes, name))
        if (node->shown)
            found.push_back(node);
    return found;
}

} // namespace

TEST(AccessibleNames, EveryToolBrushAndTheCanvasOfADocumentWindowHaveANameOfTheirOwn)
{
    platform::UserDefaults::standard().registerDefaults({{QStringLiteral("UndoLevels"), 128}});
    platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false);
    auto* document = new SWDocument;
    platform::DocumentController::shared().addDocument(document);
    document->makeWindowControllers();
    document->showWindows();
    // Wide enough for every ribbon group in full.
    document->window()->resize(std::max(1000, document->toolPanel()->preferredWidth() + 20), 700);
    QApplication::processEvents();
    QApplication::processEvents();

    // The brushes show in the Brushes group's pop-up: open it.
    KZPopupButtonAdv* brushButton = document->toolPanel()->brushListButton();
    brushButton->raisePanel(nullptr);
    QApplication::processEvents();
    std::vector<Node> nodes;
    collect(QAccessible::queryAccessibleInterface(document->window()), true, 0, nodes);
    collect(QAccessible::queryAccessibleInterface(brushButton->panel()), true, 0, nodes);
    // The selection tools are the items of the Image group's selection menu.
    KZPopupButtonAdv* selectionButton = document->toolPanel()->selectionListButton();
    selectionButton->raisePanel(nullptr);
    auto* selectionMenu = dynamic_cast<QWidget*>(selectionButton->container());
    ASSERT_NE(selectionMenu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(selectionMenu));
    std::vector<Node> menuNodes;
    collect(QAccessible::queryAccessibleInterface(selectionMenu), true, 0, menuNodes);
    QTest::keyClick(selectionMenu, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !selectionMenu->isVisible(); }));

    const QStringList tools = document->toolbox()->labels();
    ASSERT_FALSE(tools.isEmpty());
    for (const QString& label : tools) {
        SCOPED_TRACE(label.toStdString());
        // The selection tool that the Image group's button does not show
        // is found in its menu.
        const auto inWindow = shownNamed(nodes, label);
        const auto found = inWindow.empty() ? shownNamed(menuNodes, label) : inWindow;
        ASSERT_EQ(found.size(), 1u) << "one control, found by the tool's label";
        EXPECT_TRUE(found.front()->shown);
        EXPECT_TRUE(operated(found.front()->role));
        // Qt tells no description of a menu item (its status tip is not read).
        if (found.front()->role != QAccessible::MenuItem)
            EXPECT_FALSE(found.front()->description.isEmpty());
    }

    // Every brush, shown or in another tab, under its entry of the list.
    int brushes = 0;
    for (const QStringList& group : document->brushListView()->brushesOrderArray()) {
        for (qsizetype k = 1; k < group.size(); ++k, ++brushes) {
            SCOPED_TRACE(group.at(k).toStdString());
            const auto found = named(nodes, group.at(k));
            ASSERT_EQ(found.size(), 1u);
            EXPECT_TRUE(operated(found.front()->role));
            EXPECT_TRUE(found.front()->description.contains(group.first()));
        }
        // Its tab, under the group's name: a segment of the chooser's tab
        // selector.
        int tabs = 0;
        for (const Node* node : named(nodes, group.first()))
            tabs += node->shown && operated(node->role) ? 1 : 0;
        EXPECT_EQ(tabs, 1) << group.first().toStdString();
    }
    EXPECT_GT(brushes, 1);

    const auto canvas = named(nodes, QStringLiteral("Canvas"));
    ASSERT_EQ(canvas.size(), 1u);
    EXPECT_TRUE(canvas.front()->shown);

    for (const Node& node : nodes) {
        if (node.shown && operated(node.role)) {
            EXPECT_FALSE(node.name.trimmed().isEmpty()) << "a control of role " << int(node.role) << " has no name";
        }
    }

    document->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
