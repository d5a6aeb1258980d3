#include "Document.h"

#include "ActionRouter.h"
#include "Alert.h"
#include "DocumentController.h"
#include "DocumentWindow.h"
#include "MenuItem.h"
#include "SavePanel.h"
#include "UndoManager.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

namespace {
int& untitledCounter()
{
    static int counter = 0;
    return counter;
}
} // namespace

Document::Document()
    : m_undoManager(std::make_unique<UndoManager>())
{
    const int number = ++untitledCounter();
    m_untitledName = number == 1 ? QStringLiteral("Untitled") : QStringLiteral("Untitled %1").arg(number);
    hookUndoManager();
    addAction(QStringLiteral("saveDocument:"), [this](QObject*) { saveDocument(); });
    addAction(QStringLiteral("saveDocumentAs:"), [this](QObject*) { saveDocumentAs(); });
    addAction(QStringLiteral("revertDocumentToSaved:"), [this](QObject*) { revertDocumentToSaved(); });
    addAction(QStringLiteral("printDocument:"), [this](QObject*) { printDocument(); });
    addAction(QStringLiteral("performClose:"), [this](QObject*) { performClose(); });
}

Document::~Document()
{
    if (m_window) {
        ActionRouter::shared().removeWindowResponders(m_window);
        m_window->detachDocument();
        delete m_window;
    }
}

void Document::setFilePath(const QString& path)
{
    m_filePath = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    updateWindowTitle();
}

QString Document::displayName() const
{
    return m_filePath.isEmpty() ? m_untitledName : QFileInfo(m_filePath).fileName();
}

void Document::updateChangeCount(ChangeType change)
{
    switch (change) {
    case ChangeDone:
    case ChangeRedone: ++m_changeCount; break;
    case ChangeUndone: --m_changeCount; break;
    case ChangeCleared: m_changeCount = 0; break;
    }
    if (change != ChangeCleared)
        m_everChanged = true;
    if (m_window)
        m_window->setWindowModified(isDocumentEdited());
}

DocumentWindow* Document::makeWindow()
{
    return new DocumentWindow(this);
}

void Document::makeWindowControllers()
{
    if (m_window)
        return;
    m_window = makeWindow();
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    ActionRouter::shared().setWindowResponders(m_window, {this});
    updateWindowTitle();
    windowControllerDidLoadNib(m_window);
    DocumentController::shared().windowDidLoad(this, m_window);
}

void Document::showWindows()
{
    if (!m_window)
        makeWindowControllers();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void Document::updateWindowTitle()
{
    if (!m_window)
        return;
    m_window->setWindowTitle(displayName() + QStringLiteral("[*]"));
    m_window->setWindowFilePath(m_filePath);
    m_window->setWindowModified(isDocumentEdited());
}

bool Document::prepareSavePanel(SavePanel&)
{
    return true;
}

bool Document::writeToFile(const QString& path, const QString& type, QString* error)
{
    QString reason;
    const QByteArray bytes = dataOfType(type, &reason);
    if (bytes.isEmpty()) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("The picture could not be encoded.") : reason;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

void Document::settlePendingWork()
{
    commitPendingWork();
    m_undoManager->closeOpenGroup();
}

bool Document::saveDocument()
{
    settlePendingWork();
    if (m_filePath.isEmpty())
        return saveDocumentAs();
    QString error;
    if (!writeToFile(m_filePath, m_fileType, &error)) {
        presentError(m_window, QStringLiteral("The document “%1” could not be saved.").arg(displayName()), error);
        return false;
    }
    updateChangeCount(ChangeCleared);
    return true;
}

bool Document::saveDocumentAs()
{
    settlePendingWork();
    SavePanel panel;
    if (!m_filePath.isEmpty()) {
        panel.setDirectory(QFileInfo(m_filePath).absolutePath());
        panel.setNameFieldStringValue(QFileInfo(m_filePath).completeBaseName());
    } else {
        panel.setDirectory(QDir::currentPath());
        panel.setNameFieldStringValue(displayName());
    }
    if (!prepareSavePanel(panel))
        return false;
    if (!panel.runModal(m_window))
        return false;
    const QString path = panel.filePath();
    QString type = fileTypeFromLastRunSavePanel();
    if (type.isEmpty())
        type = DocumentController::typeForPath(path);
    QString error;
    if (!writeToFile(path, type, &error)) {
        presentError(m_window, QStringLiteral("The document “%1” could not be saved as “%2”.")
                                   .arg(displayName(), QFileInfo(path).fileName()),
                     error);
        return false;
    }
    m_fileType = type;
    setFilePath(path);
    updateChangeCount(ChangeCleared);
    return true;
}

bool Document::revertDocumentToSaved()
{
    if (m_filePath.isEmpty())
        return false;
    Alert alert;
    alert.setMessageText(QStringLiteral("Do you want to revert to the most recently saved version of the document “%1”?")
                             .arg(displayName()));
    alert.setInformativeText(QStringLiteral("Your current changes will be lost."));
    alert.addButton(QStringLiteral("Revert"));
    alert.addButton(QStringLiteral("Cancel"));
    if (alert.runSheetModal(m_window) != Alert::FirstButton)
        return false;
    documentWillRevert();
    QString error;
    if (!readFromFile(m_filePath, m_fileType, &error)) {
        presentError(m_window, QStringLiteral("The document “%1” could not be reverted.").arg(displayName()), error);
        return false;
    }
    m_undoManager->removeAllActions();
    updateChangeCount(ChangeCleared);
    documentDidRevert();
    return true;
}

bool Document::validateMenuItem(MenuItem* item)
{
    if (item->actionName() == QLatin1String("revertDocumentToSaved:"))
        return !m_filePath.isEmpty() && isDocumentEdited();
    return true;
}

bool Document::canClose()
{
    settlePendingWork();
    if (!isDocumentEdited())
        return true;
    if (m_window) {
        m_window->show();
        m_window->raise();
    }
    Alert alert;
    alert.setMessageText(QStringLiteral("Do you want to save the changes made to the document “%1”?").arg(displayName()));
    alert.setInformativeText(QStringLiteral("Your changes will be lost if you don't save them."));
    alert.addButton(QStringLiteral("Save"));
    alert.addButton(QStringLiteral("Don't Save"));
    alert.addButton(QStringLiteral("Cancel"));
    switch (alert.runSheetModal(m_window)) {
    case Alert::FirstButton: return saveDocument();
    case Alert::SecondButton: return true;
    default: return false;
    }
}

bool Document::performClose()
{
    if (m_closing)
        return true;
    if (!canClose())
        return false;
    close();
    return true;
}

void Document::close()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_window) {
        ActionRouter::shared().removeWindowResponders(m_window);
        m_window->detachDocument();
        m_window->hide();
        m_window->deleteLater();
        m_window = nullptr;
    }
    DocumentController::shared().removeDocument(this);
    deleteLater();
}

void Document::didFinishReading(bool ok, const QString& error)
{
    m_reading = false;
    emit readingFinished(ok, error);
}

void Document::presentError(QWidget* window, const QString& message, const QString& information)
{
    Alert alert;
    alert.setStyle(Alert::Style::Critical);
    alert.setMessageText(message);
    alert.setInformativeText(information);
    if (window)
        alert.beginSheetModal(window, nullptr);
    else
        alert.beginSheetModal(nullptr, nullptr);
}

void Document::hookUndoManager()
{
    // Emptying the history (a revert, the document going) says nothing about
    // whether the content differs from the file, so only steps count.
    connect(m_undoManager.get(), &UndoManager::changed, this, [this](UndoManager::Change change) {
        switch (change) {
        case UndoManager::Change::Done: updateChangeCount(ChangeDone); break;
        case UndoManager::Change::Undone: updateChangeCount(ChangeUndone); break;
        case UndoManager::Change::Redone: updateChangeCount(ChangeRedone); break;
        case UndoManager::Change::Cleared: break;
        }
    });
}

} // namespace platform
