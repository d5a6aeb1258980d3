#pragma once

#include "Brush.h"
#include "KZBrushSetting.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

class Surface;

// One brush loaded from a ".myb" text file (format version 2): the engine and
// one setting object per brush setting. It is also the painting entry of the
// engine (stroke_to_surface).
class DabBrushResource
{
public:
    // Makes the engine and the 39 settings; reads nothing yet.
    explicit DabBrushResource(const QString& filePath);
    ~DabBrushResource();

    DabBrushResource(const DabBrushResource&) = delete;
    DabBrushResource& operator=(const DabBrushResource&) = delete;

    // Reads the file. Returns false (and valid() is false) when it cannot be
    // read as UTF-8 text or is not a version 2 brush file; settings read
    // before the failure stay set.
    bool load();
    // The same reader over text already in memory.
    bool load_from_data(const QByteArray& bytes);
    bool save() { return true; }
    bool valid() const { return m_valid; }
    QImage image() const { return m_icon; }

    // The setting named cname, or nullptr when there is none.
    KZBrushSetting* setting_by_cname(const QString& cname) const;
    // The base value recorded by that setting object (0 for an unknown name).
    float setting_value_by_cname(const QString& cname) const;

    void get_color_hsv(float& h, float& s, float& v) const;
    void set_color_hsv(float h, float s, float v);
    // The brush colour from a platform colour (its hue, saturation, value).
    void set_color_rgb(const QColor& color);
    // The brush colour from red, green, blue 0..1 (clamped).
    void set_color_rgb_r(float r, float g, float b);
    QColor get_color_rgb() const;

    // Radius reach of the dabs: r + 2 × r × jitter, from the engine's base values.
    double get_actual_radius() const;
    bool is_eraser() const;
    // Sets the engine's base value of a setting (not the setting object's).
    void set_base_value(int index, float value);

    bool stroke_to_surface(Surface* surface, float x, float y, float pressure, float xtilt, float ytilt,
                           double dtime);

    Brush* brush() const { return m_brush.get(); }
    // Replaces the engine; the settings follow the new one.
    void setBrush(std::unique_ptr<Brush> brush);
    const std::vector<std::unique_ptr<KZBrushSetting>>& brushSettingsArray() const { return m_settings; }
    const QString& filename() const { return m_filename; }
    void setFilename(const QString& filename) { m_filename = filename; }

private:
    std::unique_ptr<Brush> m_brush;
    bool m_valid = false;
    QImage m_icon;
    std::vector<std::unique_ptr<KZBrushSetting>> m_settings;
    QString m_filename;
};
