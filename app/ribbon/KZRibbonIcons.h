#pragma once

#include <QImage>
#include <QString>

// The ribbon's icons, drawn at build time into the resources' "ribbon"
// folder: group icons ("big_tools"), tool icons ("tool_" and the tool's
// label without blanks) and shape icons ("shape_" and the shape's label).
class KZRibbonIcons {
public:
    KZRibbonIcons() = delete;
    // The icon at one pixel per point, with its second resolution when the
    // screen asks for it; null when there is no such icon.
    static QImage image(const QString& name);
    static QString toolIconName(const QString& toolLabel);
};
