#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>

class QWidget;

namespace platform {

// A message with up to three buttons. The first button is the default one
// (Return); a button titled "Cancel" answers Escape and one titled
// "Don't Save" answers Ctrl+D. Results count from FirstButton in the order
// the buttons were added; an alert without buttons gets "OK".
class Alert {
public:
    enum Response { FirstButton = 1000, SecondButton = 1001, ThirdButton = 1002 };
    enum class Style { Warning, Informational, Critical };

    void setMessageText(const QString& text) { m_message = text; }
    QString messageText() const { return m_message; }
    void setInformativeText(const QString& text) { m_informative = text; }
    QString informativeText() const { return m_informative; }
    // How the message and informative texts are read: automatic (rich text
    // when it looks like markup) unless set. Text that comes from outside
    // the program must be shown plain, so a link in it stays inert.
    void setTextFormat(Qt::TextFormat format) { m_textFormat = format; }
    Qt::TextFormat textFormat() const { return m_textFormat; }
    void setStyle(Style style) { m_style = style; }
    Style style() const { return m_style; }
    void addButton(const QString& title) { m_buttons << title; }
    QStringList buttonTitles() const;

    // Runs the alert application-modal and returns the button pressed.
    int runModal();
    // Runs the alert modal to one window (a sheet) and waits for it; without
    // a window it is application-modal.
    int runSheetModal(QWidget* window);
    // Shows the alert modal to the window and returns at once; the handler
    // gets the answer.
    void beginSheetModal(QWidget* window, std::function<void(int)> handler);

    // The title every alert window carries: the program's name.
    static QString windowTitle();

    // Tests answer alerts without showing them: while a responder is set,
    // every run hands the alert to it and returns its answer.
    using Responder = std::function<int(const Alert&)>;
    static void setTestResponder(Responder responder);

private:
    int run(QWidget* window);
    QString m_message;
    QString m_informative;
    Style m_style = Style::Warning;
    Qt::TextFormat m_textFormat = Qt::AutoText;
    QStringList m_buttons;
};

} // namespace platform
