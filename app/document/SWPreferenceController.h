#pragma once

#include "SWStepper.h"
#include "VTRNumericTextField.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QToolBar>
#include <QWidget>

#include <memory>

// The preferences window: a "General" pane (file type of new saves,
// anti-aliasing) and an "Advanced" pane (undo limit), chosen from the
// window's toolbar. Every change goes straight to the user defaults; a new
// undo limit is also announced to every open document ("UndoLevels").
class SWPreferenceController : public QObject {
    Q_OBJECT
public:
    // Pane tags.
    enum { GeneralTag = 0, AdvancedTag = 1 };
    // The largest undo limit the controls offer (0 is no limit).
    static constexpr int kMaximumUndoLevels = 9999;

    SWPreferenceController();
    ~SWPreferenceController() override;

    static QString windowNibName() { return QStringLiteral("Preferences"); }

    // The window, made and loaded on first call.
    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    void showWindow();

    // Actions of the controls.
    void changeFileType();
    void changeAntialias();
    // sender: the stepper or the text field; the limit is applied when the
    // field's editing ends, not at every keystroke.
    void changeUndoLimit(QObject* sender);

    // Identifiers of the toolbar's pane buttons, in order.
    QStringList toolbarSelectableItemIdentifiers() const;
    void selectPrefPane(QAction* item);
    // The pane's view and title for a tag; other tags leave both alone.
    void viewForTag(int tag, QWidget** view, QString* title) const;
    // The window geometry that shows the view below the toolbar while the
    // window's top edge stays where it is.
    QRect newFrameForNewContentView(QWidget* view) const;

    int currentViewTag() const { return m_currentViewTag; }
    QToolBar* toolbar() const { return m_toolbar; }
    QAction* paneItem(int tag) const;
    QComboBox* fileTypeButton() const { return m_fileTypeButton; }
    QCheckBox* antialiasButton() const { return m_antialiasButton; }
    SWStepper* undoStepper() const { return m_undoStepper; }
    VTRNumericTextField* undoTextField() const { return m_undoTextField; }
    QWidget* generalPrefsView() const { return m_generalPrefsView; }
    QWidget* advancedPrefsView() const { return m_advancedPrefsView; }

private:
    void loadWindow();
    void awakeFromNib();
    void windowDidLoad();
    void placeContentView(QWidget* view);

    std::unique_ptr<QWidget> m_window;
    QPointer<QToolBar> m_toolbar;
    QPointer<QComboBox> m_fileTypeButton;
    QPointer<QWidget> m_generalPrefsView;
    QPointer<QWidget> m_advancedPrefsView;
    QPointer<SWStepper> m_undoStepper;
    QPointer<VTRNumericTextField> m_undoTextField;
    QPointer<QCheckBox> m_antialiasButton;
    int m_currentViewTag = GeneralTag;
};
