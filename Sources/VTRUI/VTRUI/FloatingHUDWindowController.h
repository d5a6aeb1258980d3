#pragma once

#include <QLabel>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>


// Runs the floating HUD's window: made the first time it is needed, then kept.
class FloatingHUDWindowController : public QObject {
    Q_OBJECT
public:
    FloatingHUDWindowController();
    ~FloatingHUDWindowController() override;

    // Space around the text inside the window.
    static constexpr QMargins kContentInsets{6, 6, 6, 6};

    static QString windowNibName() { return QStringLiteral("FloatingHUDWindowController"); }

    // The window, made on first call.
    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    // Makes the window if needed and shows it in front, without taking focus.
    void showWindow();
    void close();

    // Sizes the label to its text and the window to the label plus the insets.
    void sizeAllToFit();

    QLabel* textLabel() const { return m_textLabel; }
    void setTextLabel(QLabel* label) { m_textLabel = label; }

private:
    void loadWindow();
    void windowDidLoad();

    std::unique_ptr<QWidget> m_window;
    QPointer<QLabel> m_textLabel; // weak: the window owns the label
};
