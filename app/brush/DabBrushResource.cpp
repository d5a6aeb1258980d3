#include "DabBrushResource.h"

#include "BrushColorConversion.h"
#include "BrushLog.h"
#include "BrushNumberText.h"
#include "BrushSettingDefinitions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <cmath>

namespace {

bool isNewline(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// Lines at every newline character; a CR LF pair gives an empty line between.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text.at(i))) {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.mid(start));
    return lines;
}

} // namespace

DabBrushResource::DabBrushResource(const QString& filePath)
    : m_brush(std::make_unique<Brush>())
    , m_filename(filePath)
{
    for (const BrushSettingDefinition* definition : BrushSettingDefinitions::sharedInstance()->list())
        m_settings.push_back(std::make_unique<KZBrushSetting>(definition, m_brush.get()));
}

DabBrushResource::~DabBrushResource() = default;

bool DabBrushResource::load()
{
    if (m_filename.isEmpty())
        BrushLog::assertFailed();
    QFile file(m_filename);
    if (m_filename.isEmpty() || !QFileInfo(m_filename).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_valid = false;
        return false;
    }
    return load_from_data(file.readAll());
}

bool DabBrushResource::load_from_data(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        m_valid = false;
        return false;
    }

    bool versionSeen = false;
    for (const QString& raw : splitLines(text)) {
        if (raw.isEmpty() || raw == QLatin1String(" "))
            continue;
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('#')) || !line.contains(QLatin1Char(' ')))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '));
        const QString key = fields.at(0).trimmed();
        if (key == QLatin1String("version") && BrushNumberText::intValue(fields.at(1)) == 2) {
            versionSeen = true;
            continue;
        }
        if (!versionSeen) {
            BrushLog::print(QByteArrayLiteral("\t we only read version 2 .myb files\n"));
            m_valid = false;
            return false;
        }
        if (KZBrushSetting* setting = setting_by_cname(key))
            setting->load_from_string(line.mid(line.indexOf(QLatin1Char(' ')) + 1));
        else
            BrushLog::print("NOT supported command:" + key.toUtf8() + " \n");
    }
    m_valid = true;
    return true;
}

KZBrushSetting* DabBrushResource::setting_by_cname(const QString& cname) const
{
    const BrushSettingDefinition* definition = BrushSettingDefinitions::sharedInstance()->definition(cname);
    if (!definition || definition->index() < 0 || size_t(definition->index()) >= m_settings.size())
        return nullptr;
    return m_settings[size_t(definition->index())].get();
}

float DabBrushResource::setting_value_by_cname(const QString& cname) const
{
    const KZBrushSetting* setting = setting_by_cname(cname);
    return setting ? setting->base_value() : 0.0f;
}

void DabBrushResource::get_color_hsv(float& h, float& s, float& v) const
{
    h = m_settings[BrushSettingIndex::color_h]->base_value();
    s = m_settings[BrushSettingIndex::color_s]->base_value();
    v = m_settings[BrushSettingIndex::color_v]->base_value();
}

void DabBrushResource::set_color_hsv(float h, float s, float v)
{
    m_settings[BrushSettingIndex::color_h]->set_base_value(h);
    m_settings[BrushSettingIndex::color_s]->set_base_value(s);
    m_settings[BrushSettingIndex::color_v]->set_base_value(v);
}

void DabBrushResource::set_color_rgb(const QColor& color)
{
    float r, g, b, a;
    color.toRgb().getRgbF(&r, &g, &b, &a);
    set_color_rgb_r(r, g, b);
}

void DabBrushResource::set_color_rgb_r(float r, float g, float b)
{
    auto clamp01 = [](float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; };
    float h = clamp01(r), s = clamp01(g), v = clamp01(b);
    rgb_to_hsv(h, s, v);
    set_color_hsv(h, s, v);
}

QColor DabBrushResource::get_color_rgb() const
{
    float r, g, b;
    get_color_hsv(r, g, b);
    hsv_to_rgb(r, g, b);
    return QColor::fromRgbF(r, g, b, 1.0f);
}

double DabBrushResource::get_actual_radius() const
{
    if (!m_brush)
        return 0.0;
    const double r = std::exp(double(m_brush->base_value(BrushSettingIndex::radius_logarithmic)));
    const double o = double(m_brush->base_value(BrushSettingIndex::offset_by_random));
    return r + 2.0 * r * o;
}

bool DabBrushResource::is_eraser() const
{
    return m_settings[BrushSettingIndex::eraser]->base_value() > 0.9f;
}

void DabBrushResource::set_base_value(int index, float value)
{
    if (index < 0 || index >= Brush::kSettingCount || !std::isfinite(value)) {
        BrushLog::assertFailed();
        return;
    }
    if (!m_brush)
        return;
    m_brush->mapping(index)->set_base_value(value);
    m_brush->update_speed_constants();
}

bool DabBrushResource::stroke_to_surface(Surface* surface, float x, float y, float pressure, float xtilt,
                                         float ytilt, double dtime)
{
    if (!m_brush || !surface)
        return false;
    return m_brush->stroke_segment(surface, x, y, pressure, xtilt, ytilt, dtime);
}

void DabBrushResource::setBrush(std::unique_ptr<Brush> brush)
{
    if (brush.get() == m_brush.get())
        return;
    m_brush = std::move(brush);
    for (auto& setting : m_settings)
        setting->set_parent_brush(m_brush.get());
}
