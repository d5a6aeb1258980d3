#include "DocumentController.h"

#include "Alert.h"
#include "Document.h"
#include "DocumentWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace platform {

DocumentController& DocumentController::shared()
{
    static DocumentController* controller = new DocumentController;
    return *controller;
}

DocumentController::DocumentController()
{
    addAction(QStringLiteral("newDocument:"), [this](QObject*) { openUntitledDocumentAndDisplay(true); });
    addAction(QStringLiteral("openDocument:"), [this](QObject*) { runOpenPanel(); });
}

QString DocumentController::typeForPath(const QString& path)
{
    QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (ext == QLatin1String("tiff"))
        return QStringLiteral("tif");
    return ext.isEmpty() ? shared().defaultType() : ext;
}

Document* DocumentController::currentDocument() const
{
    if (QWidget* active = QApplication::activeWindow()) {
        for (QWidget* w = active; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
            if (auto* window = qobject_cast<DocumentWindow*>(w))
                return window->document();
        }
    }
    return m_documents.isEmpty() ? nullptr : m_documents.last();
}

Document* DocumentController::documentForPath(const QString& path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (Document* document : m_documents) {
        if (document->filePath() == absolute)
            return document;
    }
    return nullptr;
}

Document* DocumentController::openUntitledDocumentAndDisplay(bool display, QString* error)
{
    if (!m_factory) {
        if (error)
            *error = QStringLiteral("No document class.");
        return nullptr;
    }
    Document* document = m_factory();
    document->setFileType(m_defaultType);
    addDocument(document);
    document->makeWindowControllers();
    if (display)
        document->showWindows();
    return document;
}

Document* DocumentController::openDocument(const QString& path, bool display, QString* error)
{
    if (Document* open = documentForPath(path)) {
        if (display)
            open->showWindows();
        return open;
    }
    if (!m_factory) {
        if (error)
            *error = QStringLiteral("No document class.");
        return nullptr;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        if (error)
            *error = QStringLiteral("The file does not exist.");
        return nullptr;
    }
    // The untitled window the program opened at start, never used, gives
    // way to the picture the user opens.
    Document* untouched = display && m_documents.size() == 1 && m_documents.first()->isUntouchedUntitled()
                              ? m_documents.first()
                              : nullptr;
    Document* document = m_factory();
    const QString type = typeForPath(path);
    QString reason;
    // A document to show reads on while its window comes up.
    const bool read = display ? document->beginReadingFromFile(info.absoluteFilePath(), type, &reason)
                              : document->readFromFile(info.absoluteFilePath(), type, &reason);
    if (!read) {
        delete document;
        if (error)
            *error = reason;
        return nullptr;
    }
    document->setFileType(type);
    document->setFilePath(path);
    addDocument(document);
    document->makeWindowControllers();
    if (display)
        document->showWindows();
    if (document->isReading()) {
        // The untitled window goes only once the picture is in: a file that
        // fails to decode leaves the user where they were.
        const QPointer<Document> untitled = untouched;
        const QString name = info.fileName();
        connect(document, &Document::readingFinished, this,
                [this, document, untitled, name](bool ok, const QString& reason) {
                    if (ok)
                        closeIfUntouched(untitled);
                    else
                        readingFailed(document, name, reason);
                });
        return document;
    }
    closeIfUntouched(untouched);
    return document;
}

void DocumentController::closeIfUntouched(Document* untitled)
{
    if (untitled && m_documents.contains(untitled) && untitled->isUntouchedUntitled())
        untitled->close();
}

void DocumentController::readingFailed(Document* document, const QString& fileName, const QString& reason)
{
    if (!m_documents.contains(document))
        return;
    // As when a file fails before its window shows: the program stays, with
    // an untitled window if nothing else is open.
    if (m_documents.size() == 1)
        openUntitledDocumentAndDisplay(true);
    document->close();
    Document::presentError(nullptr, QStringLiteral("The file “%1” couldn’t be opened.").arg(fileName), reason);
}

Document* DocumentController::openDocumentReportingErrors(const QString& path)
{
    QString error;
    Document* document = openDocument(path, true, &error);
    if (!document) {
        Document::presentError(nullptr,
                               QStringLiteral("The file “%1” couldn’t be opened.").arg(QFileInfo(path).fileName()),
                               error);
    }
    return document;
}

void DocumentController::addDocument(Document* document)
{
    if (document && !m_documents.contains(document))
        m_documents << document;
}

void DocumentController::removeDocument(Document* document)
{
    if (!m_documents.removeOne(document))
        return;
    if (m_documents.isEmpty() && m_quitWhenEmpty && qApp)
        QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
}

bool DocumentController::reviewUnsavedDocuments()
{
    const QList<Document*> documents = m_documents;
    for (Document* document : documents) {
        if (m_documents.contains(document) && !document->canClose())
            return false;
    }
    return true;
}

void DocumentController::closeAllDocuments()
{
    const bool quits = m_quitWhenEmpty;
    m_quitWhenEmpty = false;
    const QList<Document*> documents = m_documents;
    for (Document* document : documents)
        document->close();
    m_quitWhenEmpty = quits;
}

void DocumentController::windowDidLoad(Document* document, DocumentWindow* window)
{
    if (m_windowSetUp)
        m_windowSetUp(document, window);
}

void DocumentController::runOpenPanel()
{
    if (!m_readable)
        m_readable = m_readableSource ? m_readableSource() : QStringList();
    QStringList patterns;
    for (const QString& ext : *m_readable)
        patterns << QStringLiteral("*.") + ext;
    const QString filter = patterns.isEmpty() ? QString() : QStringLiteral("Images (%1)").arg(patterns.join(' '));
    const QStringList files = QFileDialog::getOpenFileNames(QApplication::activeWindow(), QStringLiteral("Open"),
                                                            QString(), filter, nullptr,
                                                            QFileDialog::DontUseNativeDialog);
    for (const QString& file : files)
        openDocumentReportingErrors(file);
}

} // namespace platform
