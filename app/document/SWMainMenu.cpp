#include "SWMainMenu.h"

#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/MenuItem.h"
#include "platform/foundation/Bundle.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
struct Entry {
    const char* title;   // nullptr: a separator
    const char* action;
    QKeySequence shortcut;
    int tag = 0;
};

QMenu* addMenu(QMenuBar* bar, QWidget* window, const QString& title, const std::initializer_list<Entry>& entries)
{
    QMenu* menu = bar->addMenu(title);
    for (const Entry& entry : entries) {
        if (!entry.title) {
            menu->addSeparator();
            continue;
        }
        auto* item = new platform::MenuItem(QString::fromUtf8(entry.title), QString::fromLatin1(entry.action),
                                            entry.shortcut, menu);
        item->setTag(entry.tag);
        item->setWindow(window);
        item->setShortcutContext(Qt::WindowShortcut);
        menu->addAction(item);
    }
    return menu;
}
} // namespace

QMenuBar* SWMainMenu::build(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    const QString name = platform::Bundle::name();
    addMenu(bar, window, QStringLiteral("&File"),
            {
                {"&New", "newDocument:", QKeySequence::New},
                {"New from &Clipboard", "newFromClipboard:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
                {"&Open…", "openDocument:", QKeySequence::Open},
                {nullptr, nullptr, {}},
                {"&Close", "performClose:", QKeySequence(Qt::CTRL | Qt::Key_W)},
                {"&Save", "saveDocument:", QKeySequence(Qt::CTRL | Qt::Key_S)},
                {"Save &As…", "saveDocumentAs:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                {"Revert to Sa&ved", "revertDocumentToSaved:", {}},
                {nullptr, nullptr, {}},
                {"&Print…", "printDocument:", QKeySequence(Qt::CTRL | Qt::Key_P)},
                {nullptr, nullptr, {}},
                {"&Quit", "quit:", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            });
    addMenu(bar, window, QStringLiteral("&Edit"),
            {
                {"&Undo", "undoOperation:", QKeySequence(Qt::CTRL | Qt::Key_Z)},
                {"&Redo", "redoOperation:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                {nullptr, nullptr, {}},
                {"Cu&t", "cut:", QKeySequence(Qt::CTRL | Qt::Key_X)},
                {"&Copy", "copy:", QKeySequence(Qt::CTRL | Qt::Key_C)},
                {"&Paste", "paste:", QKeySequence(Qt::CTRL | Qt::Key_V)},
                {"Paste &From…", "pasteFrom:", {}},
                {"&Delete", "delete:", {}},
                {nullptr, nullptr, {}},
                {"Select &All", "selectAll:", QKeySequence(Qt::CTRL | Qt::Key_A)},
                {"&Invert Selection", "selectInvert:", {}},
                {nullptr, nullptr, {}},
                {"Pr&eferences…", "showPreferencePanel:", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
            });
    addMenu(bar, window, QStringLiteral("&Image"),
            {
                {"Flip &Horizontal", "flipHorizontal:", {}},
                {"Flip &Vertical", "flipVertical:", {}},
                {nullptr, nullptr, {}},
                {"Rotate &Right", "rotate90R:", QKeySequence(Qt::CTRL | Qt::Key_R)},
                {"Rotate &Left", "rotate90L:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)},
                {"Rotate &180°", "rotate180:", {}},
                {nullptr, nullptr, {}},
                {"&Crop", "crop:", {}},
                {"&Invert Colors", "invertColors:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I)},
                {nullptr, nullptr, {}},
                {"Re&size…", "raiseResizeSheet:", QKeySequence(Qt::CTRL | Qt::Key_E), 1},
                {"Canvas Si&ze…", "raiseResizeSheet:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), 0},
                {nullptr, nullptr, {}},
                {"Show C&olors", "orderFrontColorPanel:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
                {"Show &Fonts", "showFontPanel:", QKeySequence(Qt::CTRL | Qt::Key_T)},
            });
    QMenu* view = addMenu(bar, window, QStringLiteral("&View"),
                          {
                              {"Zoom &In", "zoomIn:", QKeySequence(Qt::CTRL | Qt::Key_Equal)},
                              {"Zoom &Out", "zoomOut:", QKeySequence(Qt::CTRL | Qt::Key_Minus)},
                              {"&Actual Size", "actualSize:", QKeySequence(Qt::CTRL | Qt::Key_0)},
                              {nullptr, nullptr, {}},
                              {"Show &Gridlines", "toggleGridShown:", {}},
                              {"Show &Toolbar", "toggleToolbarShownAndValidate:", {}},
                              {"Hide Tool Panel", "toggleRibbonPanel:", {}},
                          });
    // Ctrl++ too, for keyboards where "+" is the key beside "=".
    view->actions().first()->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    addMenu(bar, window, QStringLiteral("&Help"),
            {
                {"Send &Feedback…", "feedbackButtonDidClick:", {}},
                {nullptr, nullptr, {}},
                {"&About", "aboutMenuItemDidClick:", {}},
            });
    if (QAction* about = bar->actions().last()->menu()->actions().last())
        about->setText(QStringLiteral("&About %1").arg(name));
    platform::ActionRouter::shared().watch(bar);
    return bar;
}
