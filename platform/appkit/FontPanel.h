#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>

#include <optional>

class QFontDialog;
class QWidget;

namespace platform {

// The one font panel of the program. The focused text tells it its font as
// the selection moves (setSelectedFont); every font the user picks in it is
// sent up the responders of the window it was opened over as the action
// "changeFont:", with the panel as sender, and the receiver takes the font
// through convertFont(). Every change in the dialog counts at once.
class FontPanel : public QObject {
    Q_OBJECT
public:
    static FontPanel& shared();

    // The font of the focused text, or the latest one picked; none before
    // either happened.
    std::optional<QFont> selectedFont() const { return m_selectedFont; }
    // Shows the font in the panel, without telling anyone.
    void setSelectedFont(const QFont& font);
    // The font a receiver of "changeFont:" takes in place of its own.
    QFont convertFont(const QFont& font) const;

    void orderFront();
    void close();
    bool isVisible() const;
    // The dialog, made on first use.
    QFontDialog* dialog();

    // What the panel does when the user picks a font (also for tests).
    void userDidPickFont(const QFont& font);

signals:
    void fontChanged(const QFont& font);

private:
    FontPanel() = default;
    QPointer<QFontDialog> m_dialog;
    QPointer<QWidget> m_mainWindow; // active when the panel was shown
    std::optional<QFont> m_selectedFont;
    bool m_showing = false;
};

} // namespace platform
