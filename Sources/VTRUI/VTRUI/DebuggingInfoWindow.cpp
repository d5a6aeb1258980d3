#include "DebuggingInfoWindow.h"

#include "UIUtil.h"

#include "platform/foundation/ModifierFlags.h"

#include <QGuiApplication>

bool DebuggingInfoWindow::isTriggered()
{
    return isTriggered(platform::ModifierFlags::fromQt(QGuiApplication::queryKeyboardModifiers()));
}

bool DebuggingInfoWindow::isTriggered(uint32_t modifierFlags)
{
    constexpr uint32_t trigger = platform::ModifierFlags::Shift | platform::ModifierFlags::Control;
    return (modifierFlags & trigger) == trigger;
}

void DebuggingInfoWindow::showDebuggingInfoWindow(const QString& text)
{
    UIUtil::runModalAlert({QMessageBox::Information, QStringLiteral("Debugging Information."), text});
}
