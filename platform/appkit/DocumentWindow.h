#pragma once

#include <QMainWindow>
#include <QPointer>

namespace platform {

class Document;

// The window of one document. Closing it (its close button, the window
// manager, Ctrl+W) asks the document first, which may ask the user to save.
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DocumentWindow(Document* document);

    Document* document() const { return m_document; }
    // The document is going away: let the window close without asking.
    void detachDocument() { m_document = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<Document> m_document;
};

} // namespace platform
