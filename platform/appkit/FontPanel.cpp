#include "FontPanel.h"

#include "ActionRouter.h"

#include <QApplication>
#include <QFontDialog>

namespace platform {

FontPanel& FontPanel::shared()
{
    static FontPanel* panel = new FontPanel;
    return *panel;
}

void FontPanel::setSelectedFont(const QFont& font)
{
    m_selectedFont = font;
    if (m_dialog) {
        // Showing a font is not picking one.
        const QSignalBlocker block(m_dialog);
        m_showing = true;
        m_dialog->setCurrentFont(font);
        m_showing = false;
    }
}

QFont FontPanel::convertFont(const QFont& font) const
{
    return m_selectedFont ? *m_selectedFont : font;
}

QFontDialog* FontPanel::dialog()
{
    if (!m_dialog) {
        m_dialog = new QFontDialog(m_selectedFont.value_or(QApplication::font()));
        m_dialog->setWindowTitle(QStringLiteral("Fonts"));
        m_dialog->setOption(QFontDialog::DontUseNativeDialog, true);
        connect(m_dialog, &QFontDialog::currentFontChanged, this, [this](const QFont& f) {
            if (!m_showing)
                userDidPickFont(f);
        });
    }
    return m_dialog;
}

void FontPanel::userDidPickFont(const QFont& font)
{
    m_selectedFont = font;
    emit fontChanged(font);
    // The panel's own window is never the target: the window it was opened
    // over is.
    QWidget* window = QApplication::activeWindow();
    if (!window || (m_dialog && window == m_dialog.data()))
        window = m_mainWindow;
    ActionRouter::shared().sendAction(QStringLiteral("changeFont:"), this, window);
}

void FontPanel::orderFront()
{
    QFontDialog* d = dialog();
    if (QWidget* active = QApplication::activeWindow(); active && active != d)
        m_mainWindow = active;
    d->show();
    d->raise();
    d->activateWindow();
}

void FontPanel::close()
{
    if (m_dialog)
        m_dialog->hide();
}

bool FontPanel::isVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

} // namespace platform
