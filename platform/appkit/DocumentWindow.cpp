#include "DocumentWindow.h"

#include "Document.h"

#include <QCloseEvent>
#include <QTimer>

namespace platform {

DocumentWindow::DocumentWindow(Document* document)
    : m_document(document)
{
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    if (!m_document) {
        event->accept();
        return;
    }
    // The document decides and closes the window itself when it may.
    event->ignore();
    QPointer<Document> document = m_document;
    QTimer::singleShot(0, this, [document] {
        if (document)
            document->performClose();
    });
}

} // namespace platform
