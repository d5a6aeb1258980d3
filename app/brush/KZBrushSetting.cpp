#include "KZBrushSetting.h"

#include "Brush.h"
#include "BrushInputDefinitions.h"
#include "BrushLog.h"
#include "BrushNumberText.h"
#include "BrushSettingDefinitions.h"

#include <QStringList>
#include <cmath>

KZBrushSetting::KZBrushSetting(const BrushSettingDefinition* definition, Brush* parent)
    : m_parent(parent)
    , m_definition(definition)
    , m_baseValue(definition ? definition->default_value() : 0.0f)
{
    // Every brush starts with its opacity following the pressure.
    if (m_definition && m_definition->index() == BrushSettingIndex::opaque_multiply) {
        const BrushInputDefinition* pressure = BrushInputDefinitions::sharedInstance()->list().at(BrushInputIndex::pressure);
        set_points(pressure, {QPointF(0.0, 0.0), QPointF(1.0, 1.0)});
    }
}

void KZBrushSetting::set_base_value(float value)
{
    if (!std::isfinite(value)) {
        BrushLog::assertFailed();
        return;
    }
    m_baseValue = value;
    const int index = m_definition ? m_definition->index() : -1;
    if (index < 0 || index >= Brush::kSettingCount) {
        BrushLog::assertFailed();
        return;
    }
    if (!m_parent)
        return;
    m_parent->mapping(index)->set_base_value(value);
    m_parent->update_speed_constants();
}

bool KZBrushSetting::set_points(const BrushInputDefinition* input, const std::vector<QPointF>& points)
{
    const int n = int(points.size());
    if (!input || input->index() < 0 || input->index() >= Brush::kInputCount || n == 1
        || n > CurvePoints::kMaxPoints) {
        BrushLog::assertFailed();
        return false;
    }
    for (const QPointF& p : points) {
        if (!std::isfinite(float(p.x())) || !std::isfinite(float(p.y()))) {
            BrushLog::assertFailed();
            return false;
        }
    }
    if (!m_parent || !m_definition)
        return false;
    Mapping* mapping = m_parent->mapping(m_definition->index());
    if (!mapping) {
        BrushLog::assertFailed();
        return false;
    }
    m_parent->set_input_point_count(mapping, input->index(), n);
    for (int i = 0; i < n; ++i) {
        const float x = float(points[size_t(i)].x());
        const float y = float(points[size_t(i)].y());
        // Out of order is reported but kept: evaluation copes with it.
        if (i > 0 && x < mapping->curve(input->index()).xvalues[i - 1])
            BrushLog::assertFailed();
        mapping->set_point(input->index(), i, x, y);
    }
    return true;
}

bool KZBrushSetting::reject(const char* reason) const
{
    const QByteArray name = m_definition ? m_definition->cname().toUtf8() : QByteArray("?");
    BrushLog::print("Ignored setting " + name + ": " + reason + "\n");
    return false;
}

bool KZBrushSetting::load_from_string(const QString& text)
{
    struct Curve
    {
        const BrushInputDefinition* input;
        std::vector<QPointF> points;
    };

    // Read the whole line first and apply it only when all of it is sound.
    const QStringList pieces = text.split(QLatin1Char('|'));
    const float base = BrushNumberText::floatValue(pieces.at(0).trimmed());
    if (!std::isfinite(base))
        return reject("base value is not a finite number");

    std::vector<Curve> curves;
    for (qsizetype k = 1; k < pieces.size(); ++k) {
        const QStringList fields = pieces.at(k).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty()) {
            BrushLog::assertFailed();
            return reject("input curve without an input name");
        }
        const BrushInputDefinition* input = BrushInputDefinitions::sharedInstance()->definition(fields.at(0));
        if (!input) {
            BrushLog::assertFailed();
            return reject("unknown input");
        }
        const QStringList pointTexts = fields.mid(1).join(QLatin1Char(' ')).split(QLatin1Char(','));
        if (pointTexts.size() > CurvePoints::kMaxPoints) {
            BrushLog::assertFailed();
            return reject("curve with more than 8 points");
        }
        Curve curve {input, {}};
        for (const QString& raw : pointTexts) {
            const QString point = raw.trimmed();
            if (point.isEmpty() || !point.startsWith(QLatin1Char('(')) || !point.endsWith(QLatin1Char(')'))
                || point.size() < 2) {
                BrushLog::assertFailed();
                return reject("malformed curve point");
            }
            const QStringList numbers =
                point.mid(1, point.size() - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (numbers.size() < 2)
                return reject("curve point without two numbers");
            const float x = BrushNumberText::floatValue(numbers.at(0));
            const float y = BrushNumberText::floatValue(numbers.at(1));
            if (!std::isfinite(x) || !std::isfinite(y))
                return reject("curve point is not a finite number");
            curve.points.emplace_back(x, y);
        }
        if (curve.points.size() < 2) {
            BrushLog::assertFailed();
            return reject("curve with fewer than 2 points");
        }
        curves.push_back(std::move(curve));
    }

    set_base_value(base);
    for (const Curve& curve : curves)
        set_points(curve.input, curve.points);
    return true;
}

QString KZBrushSetting::description() const
{
    const QString name = m_definition ? m_definition->displayed_name() : QString();
    return QStringLiteral("%1 = %2").arg(name, QString::asprintf("%.2f", double(m_baseValue)));
}
