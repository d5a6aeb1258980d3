#include "ColorPanel.h"

#include "ActionRouter.h"
#include "ColorList.h"

#include "platform/foundation/NotificationCenter.h"

#include <QApplication>
#include <QColorDialog>

namespace platform {

ColorPanel& ColorPanel::shared()
{
    static ColorPanel* panel = new ColorPanel;
    return *panel;
}

QString ColorPanel::colorDidChangeNotification()
{
    return QStringLiteral("ColorPanelColorDidChange");
}

void ColorPanel::setShowsAlpha(bool shows)
{
    m_showsAlpha = shows;
    if (m_dialog)
        m_dialog->setOption(QColorDialog::ShowAlphaChannel, shows);
}

void ColorPanel::setMode(int mode)
{
    m_mode = mode;
    applyMode();
}

void ColorPanel::applyMode()
{
    if (m_mode != CrayonMode)
        return;
    // The crayons fill the dialog's custom colour wells (QColorDialog keeps
    // them process-wide, so this works before the dialog exists too).
    if (const ColorList* crayons = ColorList::named(QStringLiteral("Crayons"))) {
        const QStringList keys = crayons->allKeys();
        for (int i = 0; i < keys.size() && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, *crayons->colorWithKey(keys[i]));
    }
}

void ColorPanel::setColor(const QColor& color)
{
    m_color = color;
    if (m_dialog) {
        const QSignalBlocker block(m_dialog);
        m_dialog->setCurrentColor(color);
    }
}

QColorDialog* ColorPanel::dialog()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(m_color);
        m_dialog->setWindowTitle(QStringLiteral("Colors"));
        m_dialog->setOption(QColorDialog::DontUseNativeDialog, true);
        m_dialog->setOption(QColorDialog::ShowAlphaChannel, m_showsAlpha);
        applyMode();
        connect(m_dialog, &QColorDialog::currentColorChanged, this,
                [this](const QColor& c) { userDidPickColor(c, false); });
        connect(m_dialog, &QColorDialog::colorSelected, this,
                [this](const QColor& c) { userDidPickColor(c, true); });
    }
    return m_dialog;
}

void ColorPanel::userDidPickColor(const QColor& color, bool confirmed)
{
    if (!confirmed && !m_continuous)
        return;
    m_color = color;
    emit colorChanged(color);
    // The action first: whoever takes the colour has it when the
    // notification's observers read it. The panel's own window is never
    // the target: the window it was opened over is.
    QWidget* window = QApplication::activeWindow();
    if (!window || (m_dialog && window == m_dialog.data()))
        window = m_mainWindow;
    ActionRouter::shared().sendAction(QStringLiteral("changeColor:"), this, window);
    NotificationCenter::defaultCenter().post(colorDidChangeNotification(), this);
}

void ColorPanel::orderFront()
{
    QColorDialog* d = dialog();
    if (QWidget* active = QApplication::activeWindow(); active && active != d)
        m_mainWindow = active;
    d->show();
    d->raise();
    d->activateWindow();
}

void ColorPanel::close()
{
    if (m_dialog)
        m_dialog->hide();
}

bool ColorPanel::isVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

} // namespace platform
