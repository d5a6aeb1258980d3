#include "SWPreferenceController.h"

#include "CHStringsTable.h"
#include "SWSavePanelAccessoryViewController.h"

#include "platform/appkit/Beep.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QActionGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include <cmath>

namespace {
const QString kFileTypeKey = QStringLiteral("FileType");
const QString kAllowAntialiasKey = QStringLiteral("AllowAntialias");
const QString kUndoLevelsKey = QStringLiteral("UndoLevels");

QString localized(const QString& key)
{
    return CHStringsTable::named(QStringLiteral("Localizable")).localizedString(key);
}

QAction* makePaneItem(QToolBar* toolbar, QActionGroup* group, int tag, const QString& identifier,
                      QStyle::StandardPixmap icon, const QKeySequence& shortcut)
{
    auto* item = new QAction(toolbar->style()->standardIcon(icon), localized(identifier), toolbar);
    item->setObjectName(identifier);
    item->setData(tag);
    item->setCheckable(true);
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    group->addAction(item);
    toolbar->addAction(item);
    return item;
}
} // namespace

SWPreferenceController::SWPreferenceController() = default;

SWPreferenceController::~SWPreferenceController() = default;

QWidget* SWPreferenceController::window()
{
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void SWPreferenceController::loadWindow()
{
    m_window = std::make_unique<QWidget>(nullptr, Qt::Window);
    QWidget* window = m_window.get();
    window->setObjectName(windowNibName());

    m_toolbar = new QToolBar(window);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto* panes = new QActionGroup(m_toolbar);
    panes->setExclusive(true);
    makePaneItem(m_toolbar, panes, GeneralTag, QStringLiteral("General"), QStyle::SP_FileDialogDetailedView,
                 QKeySequence(Qt::CTRL | Qt::Key_1));
    makePaneItem(m_toolbar, panes, AdvancedTag, QStringLiteral("Advanced"), QStyle::SP_FileDialogInfoView,
                 QKeySequence(Qt::CTRL | Qt::Key_2));
    connect(panes, &QActionGroup::triggered, this, [this](QAction* item) { selectPrefPane(item); });

    // General: what a save writes and how tools draw.
    m_generalPrefsView = new QWidget(window);
    m_generalPrefsView->setObjectName(QStringLiteral("generalPrefsView"));
    auto* general = new QFormLayout(m_generalPrefsView);
    m_fileTypeButton = new QComboBox(m_generalPrefsView);
    m_fileTypeButton->setObjectName(QStringLiteral("fileTypeButton"));
    general->addRow(tr("Save pictures as:"), m_fileTypeButton);
    m_antialiasButton = new QCheckBox(tr("Smooth edges (anti-aliasing)"), m_generalPrefsView);
    m_antialiasButton->setObjectName(QStringLiteral("antialiasButton"));
    general->addRow(QString(), m_antialiasButton);
    m_generalPrefsView->setFixedSize(420, 96);
    m_generalPrefsView->hide();

    // Advanced: the undo history.
    m_advancedPrefsView = new QWidget(window);
    m_advancedPrefsView->setObjectName(QStringLiteral("advancedPrefsView"));
    auto* advanced = new QFormLayout(m_advancedPrefsView);
    auto* undoRow = new QHBoxLayout;
    m_undoTextField = new VTRNumericTextField(m_advancedPrefsView);
    m_undoTextField->setObjectName(QStringLiteral("undoTextField"));
    m_undoTextField->setMinimumValue(0);
    m_undoTextField->setMaximumValue(kMaximumUndoLevels);
    m_undoTextField->setAllowsFloats(false);
    m_undoTextField->setMaximumWidth(80);
    m_undoStepper = new SWStepper(m_advancedPrefsView);
    m_undoStepper->setObjectName(QStringLiteral("undoStepper"));
    m_undoStepper->setRange(0, kMaximumUndoLevels);
    // The row's label names the field for accessibility clients.
    m_undoTextField->setAccessibleName(tr("Undo steps:"));
    undoRow->addWidget(m_undoTextField);
    undoRow->addWidget(m_undoStepper);
    undoRow->addStretch(1);
    advanced->addRow(tr("Undo steps:"), undoRow);
    advanced->addRow(QString(), new QLabel(tr("0 keeps every step."), m_advancedPrefsView));
    m_advancedPrefsView->setFixedSize(420, 76);
    m_advancedPrefsView->hide();

    connect(m_fileTypeButton, &QComboBox::activated, this, [this] { changeFileType(); });
    connect(m_antialiasButton, &QCheckBox::clicked, this, [this] { changeAntialias(); });
    connect(m_undoStepper, &SWStepper::actionSent, this, [this] { changeUndoLimit(m_undoStepper); });
    // Once per end of editing (Return or leaving the field), so typing "200"
    // never applies 2 and 20 on the way and drops history it should keep.
    connect(m_undoTextField, &VTRNumericTextField::actionSent, this, [this] { changeUndoLimit(m_undoTextField); });

    awakeFromNib();
    windowDidLoad();
}

void SWPreferenceController::awakeFromNib()
{
    m_fileTypeButton->clear();
    m_fileTypeButton->addItems(SWSavePanelAccessoryViewController::fileTypeTitles());
    if (QAction* first = paneItem(GeneralTag))
        first->setChecked(true);
    const QSize content(m_generalPrefsView->width(), m_toolbar->sizeHint().height() + m_generalPrefsView->height());
    m_window->setFixedSize(content);
    placeContentView(m_generalPrefsView);
    m_window->setWindowTitle(localized(QStringLiteral("General")));
    m_currentViewTag = GeneralTag;
    m_fileTypeButton->setFocus();
}

void SWPreferenceController::windowDidLoad()
{
    auto& defaults = platform::UserDefaults::standard();
    const int levels = defaults.integer(kUndoLevelsKey);
    m_undoStepper->setValue(levels);
    m_undoTextField->updateCurrentValueOnlyNeeded(levels);
    m_antialiasButton->setChecked(defaults.boolean(kAllowAntialiasKey));
    const int index = m_fileTypeButton->findText(defaults.string(kFileTypeKey), Qt::MatchFixedString);
    if (index >= 0)
        m_fileTypeButton->setCurrentIndex(index);
}

void SWPreferenceController::showWindow()
{
    QWidget* shown = window();
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void SWPreferenceController::placeContentView(QWidget* view)
{
    const int top = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, view->width(), top);
    view->move(0, top);
    view->show();
}

QAction* SWPreferenceController::paneItem(int tag) const
{
    if (!m_toolbar)
        return nullptr;
    for (QAction* item : m_toolbar->actions()) {
        if (item->data().toInt() == tag)
            return item;
    }
    return nullptr;
}

QStringList SWPreferenceController::toolbarSelectableItemIdentifiers() const
{
    QStringList identifiers;
    if (m_toolbar) {
        for (QAction* item : m_toolbar->actions())
            identifiers << item->objectName();
    }
    return identifiers;
}

void SWPreferenceController::viewForTag(int tag, QWidget** view, QString* title) const
{
    switch (tag) {
    case GeneralTag:
        *view = m_generalPrefsView;
        *title = localized(QStringLiteral("General"));
        break;
    case AdvancedTag:
        *view = m_advancedPrefsView;
        *title = localized(QStringLiteral("Advanced"));
        break;
    default:
        break;
    }
}

QRect SWPreferenceController::newFrameForNewContentView(QWidget* view) const
{
    const QRect old = m_window->geometry();
    // Window coordinates grow downward: keeping the top edge is keeping y.
    return QRect(old.x(), old.y(), view->width(), m_toolbar->sizeHint().height() + view->height());
}

void SWPreferenceController::selectPrefPane(QAction* item)
{
    if (!item || !m_window)
        return;
    const int tag = item->data().toInt();
    QWidget* view = nullptr;
    QString title;
    viewForTag(tag, &view, &title);
    if (!view)
        return;
    m_window->setWindowTitle(title);
    QWidget* previous = nullptr;
    QString previousTitle;
    viewForTag(m_currentViewTag, &previous, &previousTitle);
    m_currentViewTag = tag;
    const QRect frame = newFrameForNewContentView(view);
    if (previous && previous != view)
        previous->hide();
    m_window->setFixedSize(frame.size());
    m_window->setGeometry(frame);
    placeContentView(view);
    item->setChecked(true);
    // Typing goes on in the pane now shown.
    QWidget* first = tag == AdvancedTag ? static_cast<QWidget*>(m_undoTextField) : m_fileTypeButton;
    if (first)
        first->setFocus(Qt::TabFocusReason);
}

void SWPreferenceController::changeFileType()
{
    platform::UserDefaults::standard().setValue(kFileTypeKey, m_fileTypeButton->currentText());
}

void SWPreferenceController::changeAntialias()
{
    platform::UserDefaults::standard().setValue(kAllowAntialiasKey, m_antialiasButton->isChecked());
}

void SWPreferenceController::changeUndoLimit(QObject* sender)
{
    if (!m_undoStepper || !m_undoTextField)
        return;
    const bool fromField = sender == m_undoTextField;
    const auto senderValue = [&] {
        return fromField ? int(std::lround(m_undoTextField->currentValue())) : m_undoStepper->value();
    };
    const int value = senderValue();
    if (value >= 0) {
        m_undoStepper->setValue(value);
        m_undoTextField->updateCurrentValueOnlyNeeded(value);
    } else {
        platform::Beep::play();
        m_undoStepper->setValue(0);
        m_undoTextField->updateCurrentValueOnlyNeeded(0);
    }
    const int levels = senderValue();
    platform::UserDefaults::standard().setValue(kUndoLevelsKey, levels);
    platform::NotificationCenter::defaultCenter().post(kUndoLevelsKey, this, {}, levels);
}
