#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QColorDialog;
class QWidget;

namespace platform {

// The one colour panel of the program. Every colour the user picks in it is
// sent up the active window's responders as the action "changeColor:" with
// the panel as sender (the window the panel was opened over, while the panel
// itself is active), then posted as colorDidChangeNotification().
// Continuous: every move of the pickers counts; otherwise only a colour the
// user confirms. Mode CrayonMode shows the "Crayons" colour list as the
// dialog's custom colours.
class ColorPanel : public QObject {
    Q_OBJECT
public:
    enum Mode { NoMode = -1, CrayonMode = 7 };

    static ColorPanel& shared();
    static QString colorDidChangeNotification(); // "ColorPanelColorDidChange"

    void setShowsAlpha(bool shows);
    bool showsAlpha() const { return m_showsAlpha; }
    void setMode(int mode);
    int mode() const { return m_mode; }
    void setContinuous(bool continuous) { m_continuous = continuous; }
    bool isContinuous() const { return m_continuous; }

    QColor color() const { return m_color; }
    // Sets the colour shown, without telling anyone (like a swatch pushing
    // its colour into the panel).
    void setColor(const QColor& color);

    void orderFront();
    void close();
    bool isVisible() const;
    // The dialog, made on first use.
    QColorDialog* dialog();

    // What the panel does when the user picks a colour (also for tests).
    void userDidPickColor(const QColor& color, bool confirmed);

signals:
    void colorChanged(const QColor& color);

private:
    ColorPanel() = default;
    void applyMode();
    QPointer<QColorDialog> m_dialog;
    QPointer<QWidget> m_mainWindow; // active when the panel was shown
    QColor m_color = Qt::white;
    bool m_showsAlpha = false;
    bool m_continuous = true;
    int m_mode = NoMode;
};

} // namespace platform
