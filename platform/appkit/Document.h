#pragma once

#include "DocumentWindow.h"
#include "PrintInfo.h"
#include "Responder.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

class SavePanel;
class UndoManager;

// One open file (or an untitled one) in its own window. Subclasses read and
// write their content; this class does the rest: the window and its title,
// the edited state (driven by the undo manager: done and redone steps count
// up, undone ones down, saving resets to zero), Save, Save As, Revert, the
// save-changes question on close, printing settings.
//
// Answers the actions "saveDocument:", "saveDocumentAs:",
// "revertDocumentToSaved:", "printDocument:" and "performClose:".
class Document : public QObject, public Responder {
    Q_OBJECT
public:
    enum ChangeType { ChangeDone, ChangeUndone, ChangeRedone, ChangeCleared };

    Document();
    ~Document() override;

    // -- identity
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path);
    QString fileType() const { return m_fileType; }
    void setFileType(const QString& type) { m_fileType = type; }
    // "Untitled", "Untitled 2", ... or the file's name.
    QString displayName() const;

    // -- edited state
    UndoManager* undoManager() const { return m_undoManager.get(); }
    bool isDocumentEdited() const { return m_changeCount != 0; }
    void updateChangeCount(ChangeType change);
    // An untitled document that was never changed (not even changed and
    // undone): the next document opened from a file takes its place.
    bool isUntouchedUntitled() const { return m_filePath.isEmpty() && !m_everChanged; }

    // -- window
    // Makes the window (once) and lets the subclass fill it.
    void makeWindowControllers();
    void showWindows();
    // The document's window, or null before it is made and after closing.
    DocumentWindow* window() const { return m_window; }

    // -- reading and writing, by the subclass
    virtual bool readFromFile(const QString& path, const QString& type, QString* error) = 0;
    // Reads a file for a document that is about to be shown. The default
    // reads it all with readFromFile(). A subclass may instead check what it
    // can at once, return true with isReading() set and the content still
    // coming, and end with didFinishReading() (the window shows meanwhile).
    // False, with an error text, for a file that will not open.
    virtual bool beginReadingFromFile(const QString& path, const QString& type, QString* error)
    {
        return readFromFile(path, type, error);
    }
    // Whether a read begun with beginReadingFromFile() is still under way.
    bool isReading() const { return m_reading; }
    // The file's bytes; empty with an error text on failure.
    virtual QByteArray dataOfType(const QString& type, QString* error) = 0;
    // Called before the save panel runs; false cancels the save.
    virtual bool prepareSavePanel(SavePanel& panel);
    // The type chosen in the last save panel; empty: take the extension.
    virtual QString fileTypeFromLastRunSavePanel() const { return {}; }

    // Writes the document's bytes to the path without ever leaving a
    // half-written file: the bytes go to a file beside it, which then
    // replaces the old one. A failure leaves the old file as it was.
    bool writeToFile(const QString& path, const QString& type, QString* error);

    // -- commands (also reachable as actions)
    virtual bool saveDocument();
    bool saveDocumentAs();
    bool revertDocumentToSaved();
    virtual void printDocument() {}
    // Asks about unsaved changes, then closes. False when the user kept
    // the document open.
    bool performClose();
    // The save-changes question alone: true when closing may go on (the
    // changes were saved or the user chose not to save them).
    bool canClose();
    // Closes without asking: the window goes, the controller forgets the
    // document, and the document is deleted once control returns to the
    // event loop.
    virtual void close();
    bool isClosing() const { return m_closing; }

    PrintInfo& printInfo() { return m_printInfo; }

    // Revert needs a file and changes to throw away; the rest is enabled.
    bool validateMenuItem(MenuItem* item) override;

    // Tells the user about a failure, as a sheet on the window if there is one.
    static void presentError(QWidget* window, const QString& message, const QString& information);

signals:
    // A read that went on after beginReadingFromFile() has ended; on failure
    // error says why, for the user.
    void readingFinished(bool ok, const QString& error);

protected:
    // The window is made: place the document's views in it.
    virtual void windowControllerDidLoadNib(DocumentWindow* window) { (void)window; }
    // The window the document shows in; a subclass may make its own kind.
    virtual DocumentWindow* makeWindow();
    // A revert has read the file again: show the new content.
    virtual void documentDidRevert() {}
    // Work in progress that is not part of the content yet (an unfinished
    // stroke, a floating piece) goes in now: a save or a close is about to
    // look at the edited state and the content.
    virtual void commitPendingWork() {}
    // The revert was confirmed and the file is about to be read again: the
    // work in progress ends (the reading replaces whatever it left).
    virtual void documentWillRevert() {}
    void updateWindowTitle();
    // For subclasses that read on after beginReadingFromFile().
    void setReading(bool reading) { m_reading = reading; }
    void didFinishReading(bool ok, const QString& error);

private:
    void hookUndoManager();
    // commitPendingWork(), and the step it took counts as a change at once.
    void settlePendingWork();
    std::unique_ptr<UndoManager> m_undoManager;
    QPointer<DocumentWindow> m_window;
    QString m_filePath;
    QString m_fileType;
    QString m_untitledName;
    int m_changeCount = 0;
    bool m_everChanged = false;
    bool m_closing = false;
    bool m_reading = false;
    PrintInfo m_printInfo;
};

} // namespace platform
