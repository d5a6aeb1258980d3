#pragma once

#include <QPointF>
#include <QString>
#include <vector>

class Brush;
class BrushInputDefinition;
class BrushSettingDefinition;

// One setting of one loaded brush. It reads its line of the brush file and
// pushes the base value and the input curves into the engine. It keeps its
// own copy of the base value, which starts at the setting's default while the
// engine's starts at 0 until the file (or set_base_value) sets it.
class KZBrushSetting
{
public:
    // parent is the resource's engine, not owned; the setting must not
    // outlive it (the resource re-points its settings when it changes engine).
    KZBrushSetting(const BrushSettingDefinition* definition, Brush* parent);

    const BrushSettingDefinition* brush_setting_definition() const { return m_definition; }
    Brush* parent_brush() const { return m_parent; }
    void set_parent_brush(Brush* parent) { m_parent = parent; }

    float base_value() const { return m_baseValue; }
    // Stores the value here and in the engine. A value that is not finite is
    // refused with "Assert Failed!!".
    void set_base_value(float value);

    // Replaces the curve of one input in the engine: 0 points removes it,
    // 2..8 points (in order of non-decreasing x) set it. Other counts, an
    // unknown input or numbers that are not finite are refused with
    // "Assert Failed!!" and change nothing. Returns whether it was applied.
    bool set_points(const BrushInputDefinition* input, const std::vector<QPointF>& points);

    // Reads the value text of the setting's line: a base value, then for
    // each "|" an input name and its points, "(x y), (x y)...". A malformed
    // line is refused as a whole with a message, keeping the previous base
    // value and curves. Returns whether it was applied.
    bool load_from_string(const QString& text);

    // "<displayed name> = <base value with 2 decimals>".
    QString description() const;

private:
    bool reject(const char* reason) const;

    Brush* m_parent;
    const BrushSettingDefinition* m_definition;
    float m_baseValue;
};
