#pragma once

#include "Responder.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace platform {

class Document;
class DocumentWindow;

// Keeps the open documents: makes untitled ones, opens files as documents
// (a file already open is brought to the front instead), and asks about
// unsaved changes before the program ends. When the last document closes
// the program ends, as nothing is left to work on.
//
// Answers the actions "newDocument:" and "openDocument:".
class DocumentController : public QObject, public Responder {
    Q_OBJECT
public:
    static DocumentController& shared();

    // Makes a new, empty document of the program's class.
    using Factory = std::function<Document*()>;
    void setDocumentFactory(Factory factory) { m_factory = std::move(factory); }
    // Called for every document window once the document has filled it
    // (the program puts its menu bar there).
    using WindowSetUp = std::function<void(Document*, DocumentWindow*)>;
    void setWindowSetUp(WindowSetUp setUp) { m_windowSetUp = std::move(setUp); }

    // The file types documents read and write, as extensions ("png").
    QString defaultType() const { return m_defaultType; }
    void setDefaultType(const QString& type) { m_defaultType = type; }
    // The type of a file by its extension: lower case, "jpeg" as "jpg",
    // "tiff" as "tif"; the default type when it has none.
    static QString typeForPath(const QString& path);

    QList<Document*> documents() const { return m_documents; }
    // The document of the active window, else the most recent one.
    Document* currentDocument() const;
    Document* documentForPath(const QString& path) const;

    Document* openUntitledDocumentAndDisplay(bool display, QString* error = nullptr);
    // Reads the file into a new document; null with an error text when it
    // cannot be read. Shown, it takes the place of an untitled document that
    // was never changed and is the only one open. A document to show may
    // read on after its window shows (Document::beginReadingFromFile()):
    // if that read fails, the user is told, the window closes, and an
    // untitled window opens when no other is left.
    Document* openDocument(const QString& path, bool display, QString* error = nullptr);
    // openDocument, telling the user when the file cannot be read.
    Document* openDocumentReportingErrors(const QString& path);

    void addDocument(Document* document);
    void removeDocument(Document* document);

    // Asks about every edited document in turn; false when the user
    // cancelled one of the questions (nothing more is asked then).
    bool reviewUnsavedDocuments();
    // Closes every document without asking (the program is ending).
    void closeAllDocuments();

    void setQuitsWhenLastDocumentCloses(bool quits) { m_quitWhenEmpty = quits; }

    // Document::makeWindowControllers reports each new window here.
    void windowDidLoad(Document* document, DocumentWindow* window);

    // Extensions of the files the open panel offers, asked for when the
    // panel first opens: finding them may be costly (listing the image
    // formats loads every image plug-in), and most runs never open it.
    void setReadableExtensions(std::function<QStringList()> extensions)
    {
        m_readableSource = std::move(extensions);
        m_readable.reset();
    }

private:
    DocumentController();
    void runOpenPanel();
    void closeIfUntouched(Document* untitled);
    void readingFailed(Document* document, const QString& fileName, const QString& reason);
    Factory m_factory;
    WindowSetUp m_windowSetUp;
    QList<Document*> m_documents; // owned through deleteLater at close
    QString m_defaultType = QStringLiteral("png");
    std::function<QStringList()> m_readableSource;
    std::optional<QStringList> m_readable;
    bool m_quitWhenEmpty = true;
};

} // namespace platform
