#include "Alert.h"

#include "platform/foundation/Bundle.h"

#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace platform {

namespace {
Alert::Responder& testResponder()
{
    static Alert::Responder responder;
    return responder;
}

QMessageBox* makeBox(const Alert& alert, QWidget* window, QList<QAbstractButton*>& buttons)
{
    auto* box = new QMessageBox(window);
    box->setWindowTitle(Alert::windowTitle());
    box->setText(alert.messageText());
    box->setInformativeText(alert.informativeText());
    box->setTextFormat(alert.textFormat());
    if (alert.textFormat() != Qt::RichText && alert.textFormat() != Qt::AutoText) {
        // The informative label does not always follow the box's format;
        // and a plain label must not open links either way.
        for (QLabel* label : box->findChildren<QLabel*>()) {
            label->setTextFormat(alert.textFormat());
            label->setOpenExternalLinks(false);
        }
    }
    switch (alert.style()) {
    case Alert::Style::Critical: box->setIcon(QMessageBox::Critical); break;
    case Alert::Style::Informational: box->setIcon(QMessageBox::Information); break;
    case Alert::Style::Warning: box->setIcon(QMessageBox::Warning); break;
    }
    const QStringList titles = alert.buttonTitles();
    for (int i = 0; i < titles.size(); ++i) {
        const QString& title = titles[i];
        QMessageBox::ButtonRole role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::ActionRole;
        if (title == QLatin1String("Cancel"))
            role = QMessageBox::RejectRole;
        QPushButton* button = box->addButton(title, role);
        if (title == QLatin1String("Don't Save"))
            button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
        if (i == 0)
            box->setDefaultButton(button);
        if (role == QMessageBox::RejectRole)
            box->setEscapeButton(button);
        buttons << button;
    }
    if (window)
        box->setWindowModality(Qt::WindowModal);
    return box;
}

int responseOf(QMessageBox* box, const QList<QAbstractButton*>& buttons)
{
    const int index = buttons.indexOf(box->clickedButton());
    if (index >= 0)
        return Alert::FirstButton + index;
    // Closed without a button: the cancel button when there is one.
    for (int i = 0; i < buttons.size(); ++i) {
        if (box->buttonRole(buttons[i]) == QMessageBox::RejectRole)
            return Alert::FirstButton + i;
    }
    return Alert::FirstButton;
}
} // namespace

QStringList Alert::buttonTitles() const
{
    return m_buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : m_buttons;
}

QString Alert::windowTitle()
{
    return Bundle::name();
}

void Alert::setTestResponder(Responder responder)
{
    testResponder() = std::move(responder);
}

int Alert::run(QWidget* window)
{
    if (testResponder())
        return testResponder()(*this);
    QList<QAbstractButton*> buttons;
    QMessageBox* box = makeBox(*this, window, buttons);
    box->exec();
    const int result = responseOf(box, buttons);
    delete box;
    return result;
}

int Alert::runModal()
{
    return run(nullptr);
}

int Alert::runSheetModal(QWidget* window)
{
    return run(window);
}

void Alert::beginSheetModal(QWidget* window, std::function<void(int)> handler)
{
    if (testResponder()) {
        const int result = testResponder()(*this);
        if (handler)
            handler(result);
        return;
    }
    QList<QAbstractButton*> buttons;
    QMessageBox* box = makeBox(*this, window, buttons);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (!window)
        box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, handler](int) {
        const int result = responseOf(box, buttons);
        if (handler)
            handler(result);
    });
    box->open();
}

} // namespace platform
