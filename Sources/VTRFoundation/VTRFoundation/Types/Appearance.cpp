#include "Appearance.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

bool Appearance::isCurrentDarkMode()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return isDarkPalette(QGuiApplication::palette());
}

bool Appearance::isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}
