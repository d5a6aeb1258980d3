#include "Brush.h"

#include "BrushColorConversion.h"
#include "BrushLog.h"
#include "Surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace S = BrushSettingIndex;
namespace I = BrushInputIndex;
namespace St = BrushStateIndex;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Share of a filtered value kept over a step t with time constant T.
float decay_factor(float T, float t)
{
    if (T <= 0.001f)
        return 0.0f;
    return std::exp(-t / T);
}

float clampf(float v, float lo, float hi)
{
    if (!(v > lo))
        return lo; // NaN lands on lo
    return v < hi ? v : hi;
}

// e raised to a radius logarithm as the engine uses it unclamped; only a
// result that is zero or infinite (far outside any brush) is held to the
// clamped range, so that no division by it or product with it breaks.
float unclampedRadius(float logRadius)
{
    const float r = std::exp(logRadius);
    if (!std::isnormal(r))
        return clampf(r, 0.2f, 800.0f);
    return r;
}

// Dabs due as a count the loop can work with: NaN or negative infinity means
// none, positive infinity means as many as one event allows.
float usableDue(float due)
{
    if (std::isnan(due) || due == -INFINITY)
        return 0.0f;
    if (due == INFINITY)
        return float(Brush::kMaxDabsPerEvent);
    return due;
}

enum class Painted { Unknown, Yes, No };

} // namespace

Brush::Brush()
{
    // Every mapping starts with 9 empty curves and base value 0.
    update_speed_constants();
}

Brush::~Brush() = default;

Mapping* Brush::mapping(int setting)
{
    if (setting < 0 || setting >= kSettingCount)
        return nullptr;
    return &m_mappings[size_t(setting)];
}

const Mapping* Brush::mapping(int setting) const
{
    if (setting < 0 || setting >= kSettingCount)
        return nullptr;
    return &m_mappings[size_t(setting)];
}

float Brush::base_value(int setting) const
{
    const Mapping* m = mapping(setting);
    return m ? m->base_value() : 0.0f;
}

void Brush::set_input_point_count(Mapping* m, int input, int n)
{
    if (!m || input < 0 || input >= m->inputs() || n == 1 || n < 0 || n > CurvePoints::kMaxPoints) {
        BrushLog::assertFailed();
        return;
    }
    CurvePoints& curve = m->curve(input);
    int used = m->inputs_used();
    if (n == 0 && curve.n != 0)
        --used;
    if (n != 0 && curve.n == 0)
        ++used;
    if (used < 0 || used > m->inputs())
        BrushLog::assertFailed();
    m->set_inputs_used(std::clamp(used, 0, m->inputs()));
    curve.n = n;
    for (int i = 0; i < n; ++i) {
        curve.xvalues[i] = 0.0f;
        curve.yvalues[i] = 0.0f;
    }
}

void Brush::update_speed_constants()
{
    for (int k = 0; k < 2; ++k) {
        // Above e^80 the constants would overflow and turn the speed inputs
        // into NaN; such a gamma is far beyond any meaningful one.
        const float gammaLog = std::min(base(S::speed1_gamma + k), 80.0f);
        const float gamma = std::exp(gammaLog);
        m_speedGamma[size_t(k)] = gamma;
        m_speedM[size_t(k)] = (gamma + 45.0f) * 0.015f;
        m_speedQ[size_t(k)] = 0.5f - std::log(gamma + 45.0f) * m_speedM[size_t(k)];
    }
}

float Brush::gauss_noise()
{
    const uint32_t rand1 = m_random.next();
    const uint32_t rand2 = m_random.next();
    float sum = 0.0f;
    sum += float(rand1 & 0x7FFF);
    sum += float((rand1 >> 16) & 0x7FFF);
    sum += float(rand2 & 0x7FFF);
    sum += float((rand2 >> 16) & 0x7FFF);
    return sum * 5.28596089837e-05f + -3.46410161514f;
}

float Brush::count_dabs_between(float x, float y, float /*pressure*/, float dt)
{
    float& actualRadius = m_states[St::actual_radius];
    if (actualRadius == 0.0f)
        actualRadius = std::exp(base(S::radius_logarithmic));
    actualRadius = clampf(actualRadius, 0.2f, 800.0f);
    const float baseRadius = clampf(std::exp(base(S::radius_logarithmic)), 0.2f, 800.0f);

    const float dx = x - m_states[St::pos_x];
    const float dy = y - m_states[St::pos_y];
    float dist;
    if (m_states[St::dab_ratio] > 1.0f) {
        const float angle = m_states[St::dab_angle] / 360.0f * 2.0f * kPi;
        const float cs = std::cos(angle);
        const float sn = std::sin(angle);
        const float xr = dx * cs + dy * sn;
        const float yr = (dy * cs - dx * sn) * m_states[St::dab_ratio];
        dist = std::sqrt(xr * xr + yr * yr);
    } else {
        dist = std::hypot(dx, dy);
    }
    const float res1 = dist / actualRadius * base(S::dabs_per_actual_radius);
    const float res2 = dist / baseRadius * base(S::dabs_per_basic_radius);
    const float res3 = dt * base(S::dabs_per_second);
    return res1 + res2 + res3;
}

void Brush::update_brush_states(float step_dx, float step_dy, float step_dpressure, float step_declination,
                                float step_ascension, float step_dt)
{
    if (step_dt < 0.0f) {
        BrushLog::print(QByteArrayLiteral("Time is running backwards!\n"));
        step_dt = 0.001f;
    } else if (!(step_dt > 0.0f)) {
        step_dt = 0.001f;
    }

    auto& st = m_states;
    st[St::pos_x] += step_dx;
    st[St::pos_y] += step_dy;
    st[St::pressure] += step_dpressure;
    st[St::declination] += step_declination;
    st[St::ascension] += step_ascension;

    const float baseRadius = unclampedRadius(base(S::radius_logarithmic));

    st[St::pressure] = clampf(st[St::pressure], 0.0f, 1.0f);
    const float pressure = st[St::pressure];

    {
        const float limit = base(S::stroke_threshold);
        if (st[St::stroke_active] != 0.0f && pressure <= limit * 0.9f + 0.0001f)
            st[St::stroke_active] = 0.0f;
        if (st[St::stroke_active] == 0.0f && pressure > limit + 0.0001f) {
            st[St::stroke_active] = 1.0f;
            st[St::stroke] = 0.0f;
        }
    }

    const float norm_dx = step_dx / step_dt / baseRadius;
    const float norm_dy = step_dy / step_dt / baseRadius;
    const float norm_speed = std::sqrt(norm_dx * norm_dx + norm_dy * norm_dy);
    const float norm_dist = norm_speed * step_dt;

    float inputs[kInputCount];
    inputs[I::pressure] = pressure;
    inputs[I::speed1] = std::log(m_speedGamma[0] + st[St::slow_speed1]) * m_speedM[0] + m_speedQ[0];
    inputs[I::speed2] = std::log(m_speedGamma[1] + st[St::slow_speed2]) * m_speedM[1] + m_speedQ[1];
    {
        // Uniform in [0, 1); the product can round up to 1 in single precision.
        const double r = double(m_random.next() & 0x7fffffff) * 4.656612873077393e-10;
        inputs[I::random] = std::min(float(r), 0.99999994f);
    }
    inputs[I::stroke] = std::min(st[St::stroke], 1.0f);
    inputs[I::direction] =
        std::fmod(std::atan2(st[St::direction_dy], st[St::direction_dx]) / (2.0f * kPi) * 360.0f + 180.0f, 180.0f);
    inputs[I::tilt_declination] = st[St::declination];
    inputs[I::tilt_ascension] = st[St::ascension];
    inputs[I::custom] = st[St::custom_value];

    for (int i = 0; i < kSettingCount; ++i) {
        float v = m_mappings[size_t(i)].calculate(inputs);
        // A curve pushed past the float range must not poison the state.
        if (!std::isfinite(v)) {
            const float b = m_mappings[size_t(i)].base_value();
            v = std::isfinite(b) ? b : 0.0f;
        }
        m_settingValues[size_t(i)] = v;
    }

    {
        const float fac = 1.0f - decay_factor(value(S::slow_tracking_per_dab), 1.0f);
        st[St::dab_x] += (st[St::pos_x] - st[St::dab_x]) * fac;
        st[St::dab_y] += (st[St::pos_y] - st[St::dab_y]) * fac;
    }

    {
        float fac = 1.0f - decay_factor(value(S::speed1_slowness), step_dt);
        st[St::slow_speed1] += (norm_speed - st[St::slow_speed1]) * fac;
        fac = 1.0f - decay_factor(value(S::speed2_slowness), step_dt);
        st[St::slow_speed2] += (norm_speed - st[St::slow_speed2]) * fac;
    }

    {
        float timeConstant = std::exp(value(S::offset_by_speed_slowness) * 0.01f) - 1.0f;
        if (timeConstant < 0.002f)
            timeConstant = 0.002f;
        const float fac = 1.0f - decay_factor(timeConstant, step_dt);
        st[St::slow_dx] += (norm_dx - st[St::slow_dx]) * fac;
        st[St::slow_dy] += (norm_dy - st[St::slow_dy]) * fac;
    }

    {
        float dx = step_dx / baseRadius;
        float dy = step_dy / baseRadius;
        const float stepInDabtime = std::hypot(dx, dy);
        const float timeConstant = std::exp(value(S::direction_filter) * 0.5f) - 1.0f;
        const float fac = 1.0f - decay_factor(timeConstant, stepInDabtime);
        const float oldX = st[St::direction_dx];
        const float oldY = st[St::direction_dy];
        // A turn by 180 degrees counts as no turn.
        if ((oldX - dx) * (oldX - dx) + (oldY - dy) * (oldY - dy) > (oldX + dx) * (oldX + dx) + (oldY + dy) * (oldY + dy)) {
            dx = -dx;
            dy = -dy;
        }
        st[St::direction_dx] += (dx - st[St::direction_dx]) * fac;
        st[St::direction_dy] += (dy - st[St::direction_dy]) * fac;
    }

    {
        const float fac = 1.0f - decay_factor(value(S::custom_input_slowness), 0.1f);
        st[St::custom_value] += (value(S::custom_input) - st[St::custom_value]) * fac;
    }

    {
        const float frequency = std::exp(-value(S::stroke_duration_logarithmic));
        float s = st[St::stroke] + norm_dist * frequency;
        if (!(s >= 0.0f))
            s = 0.0f;
        const float wrap = 1.0f + value(S::stroke_holdtime);
        if (s > wrap) {
            if (wrap > 10.9f) {
                s = 1.0f; // held for ever
            } else {
                s = std::fmod(s, wrap);
                if (!(s >= 0.0f))
                    s = 0.0f;
            }
        }
        st[St::stroke] = s;
    }

    st[St::actual_radius] = clampf(std::exp(value(S::radius_logarithmic)), 0.2f, 800.0f);
    st[St::dab_ratio] = value(S::elliptical_dab_ratio);
    st[St::dab_angle] = value(S::elliptical_dab_angle);

    sanitizeStates();
}

void Brush::sanitizeStates()
{
    // Overflowing speeds or filters must not leave NaN behind: it would
    // stay in the state and stop every later dab.
    for (float& s : m_states) {
        if (!std::isfinite(s))
            s = 0.0f;
    }
}

int Brush::dabLimitForEvent() const
{
    const double side = 2.0 * double(m_states[St::actual_radius]) + 3.0;
    const double byArea = kDabPixelBudget / (side * side);
    return int(std::clamp(byArea, double(kMinDabsPerEvent), double(kMaxDabsPerEvent)));
}

bool Brush::draw_one_dab(Surface* surface)
{
    if (!surface)
        return false;
    auto& st = m_states;

    if (m_settingValues[S::opaque] < 0.0f)
        m_settingValues[S::opaque] = 0.0f;
    float opaque = clampf(value(S::opaque) * value(S::opaque_multiply), 0.0f, 1.0f);

    if (value(S::opaque_linearize) != 0.0f) {
        float dabsPerPixel = (base(S::dabs_per_actual_radius) + base(S::dabs_per_basic_radius)) * 2.0f;
        if (dabsPerPixel < 1.0f)
            dabsPerPixel = 1.0f;
        dabsPerPixel = 1.0f + base(S::opaque_linearize) * (dabsPerPixel - 1.0f);
        const float alpha = opaque;
        const float beta = 1.0f - alpha;
        const float betaDab = std::pow(beta, 1.0f / dabsPerPixel);
        opaque = 1.0f - betaDab;
    }

    float x = st[St::dab_x];
    float y = st[St::dab_y];
    const float baseRadius = unclampedRadius(base(S::radius_logarithmic));

    if (value(S::offset_by_speed) != 0.0f) {
        x += baseRadius * value(S::offset_by_speed) * st[St::slow_dx] * 0.1f;
        y += baseRadius * value(S::offset_by_speed) * st[St::slow_dy] * 0.1f;
    }

    if (value(S::offset_by_random) != 0.0f) {
        float amp = value(S::offset_by_random);
        if (amp < 0.0f)
            amp = 0.0f;
        x += gauss_noise() * amp * baseRadius;
        y += gauss_noise() * amp * baseRadius;
    }

    float radius = st[St::actual_radius];
    if (value(S::radius_by_random) != 0.0f) {
        const float radiusLog = value(S::radius_logarithmic) + gauss_noise() * value(S::radius_by_random);
        radius = clampf(std::exp(radiusLog), 0.2f, 800.0f);
        // Only dabs made larger become more transparent.
        const float alphaCorrection = (st[St::actual_radius] / radius) * (st[St::actual_radius] / radius);
        if (alphaCorrection <= 1.0f)
            opaque *= alphaCorrection;
    }

    float colorH = base(S::color_h);
    float colorS = base(S::color_s);
    float colorV = base(S::color_v);
    float eraserTargetAlpha = 1.0f;

    if (value(S::smudge) > 0.0f) {
        const float fac = std::min(value(S::smudge), 1.0f);
        hsv_to_rgb(colorH, colorS, colorV);
        eraserTargetAlpha = clampf(fac * st[St::smudge_alpha] + (1.0f - fac), 0.0f, 1.0f);
        if (eraserTargetAlpha > 0.0f) {
            colorH = (fac * st[St::smudge_red] + (1.0f - fac) * colorH) / eraserTargetAlpha;
            colorS = (fac * st[St::smudge_green] + (1.0f - fac) * colorS) / eraserTargetAlpha;
            colorV = (fac * st[St::smudge_blue] + (1.0f - fac) * colorV) / eraserTargetAlpha;
        } else {
            // Only erasing: the colour does not matter.
            colorH = 1.0f;
            colorS = 0.0f;
            colorV = 0.0f;
        }
        colorH = clampf(colorH, 0.0f, 1.0f);
        colorS = clampf(colorS, 0.0f, 1.0f);
        colorV = clampf(colorV, 0.0f, 1.0f);
        rgb_to_hsv(colorH, colorS, colorV);
    }

    if (value(S::smudge_length) < 1.0f
        && (value(S::smudge) != 0.0f || m_mappings[S::smudge].inputs_used() > 0)) {
        float fac = value(S::smudge_length);
        if (fac < 0.0f)
            fac = 0.0f;
        const float smudgeRadius = clampf(std::exp(value(S::smudge_radius_log)) * radius, 0.2f, 800.0f);
        float r, g, b, a;
        surface->sample_color(std::trunc(x + 0.5f), std::trunc(y + 0.5f), smudgeRadius, r, g, b, a);
        st[St::smudge_alpha] = clampf(fac * st[St::smudge_alpha] + (1.0f - fac) * a, 0.0f, 1.0f);
        st[St::smudge_red] = fac * st[St::smudge_red] + (1.0f - fac) * r * a;
        st[St::smudge_green] = fac * st[St::smudge_green] + (1.0f - fac) * g * a;
        st[St::smudge_blue] = fac * st[St::smudge_blue] + (1.0f - fac) * b * a;
    }

    if (value(S::eraser) != 0.0f)
        eraserTargetAlpha *= (1.0f - value(S::eraser));

    colorH += value(S::change_color_h);
    colorS += value(S::change_color_hsv_s);
    colorV += value(S::change_color_v);

    if (value(S::change_color_l) != 0.0f || value(S::change_color_hsl_s) != 0.0f) {
        hsv_to_rgb(colorH, colorS, colorV);
        rgb_to_hsl(colorH, colorS, colorV);
        colorV += value(S::change_color_l);
        colorS += value(S::change_color_hsl_s);
        hsl_to_rgb(colorH, colorS, colorV);
        colorH = clampf(colorH, 0.0f, 1.0f);
        colorS = clampf(colorS, 0.0f, 1.0f);
        colorV = clampf(colorV, 0.0f, 1.0f);
        rgb_to_hsv(colorH, colorS, colorV);
    }

    hsv_to_rgb(colorH, colorS, colorV);

    return surface->render_dab(x, y, radius, colorH, colorS, colorV, opaque, value(S::hardness),
                               eraserTargetAlpha, st[St::dab_ratio], st[St::dab_angle]);
}

bool Brush::stroke_segment(Surface* surface, float x, float y, float pressure, float xtilt, float ytilt,
                           double dtime)
{
    auto& st = m_states;

    float tiltAscension = 0.0f;
    float tiltDeclination = 90.0f;
    if (xtilt != 0.0f || ytilt != 0.0f) {
        if (!std::isfinite(xtilt) || !std::isfinite(ytilt))
            BrushLog::assertFailed();
        xtilt = std::isnan(xtilt) ? 0.0f : std::clamp(xtilt, -1.0f, 1.0f);
        ytilt = std::isnan(ytilt) ? 0.0f : std::clamp(ytilt, -1.0f, 1.0f);
        tiltAscension = float(std::atan2(double(-xtilt), double(ytilt)) * 180.0 / std::numbers::pi);
        const float e = std::fabs(xtilt) > std::fabs(ytilt) ? std::sqrt(1.0f + ytilt * ytilt)
                                                            : std::sqrt(1.0f + xtilt * xtilt);
        const float rad = std::hypot(xtilt, ytilt);
        tiltDeclination = float(std::acos(std::min(double(rad / e), 1.0)) * 180.0 / std::numbers::pi);
        if (std::isinf(tiltAscension) || std::isinf(tiltDeclination))
            BrushLog::assertFailed();
    }

    // A position that is not a number, or absurdly far away, is no pointer
    // position at all: the event is dropped and the state stays as it is.
    if (!std::isfinite(x) || !std::isfinite(y) || x > 1e10f || y > 1e10f || x < -1e10f || y < -1e10f)
        return false;
    pressure = clampf(pressure, 0.0f, 1.0f);
    if (std::fabs(x) >= 1e8f || std::fabs(y) >= 1e8f)
        BrushLog::assertFailed();

    if (!(dtime > 0.0))
        dtime = 0.0001;

    if (dtime > 0.1 && pressure != 0.0f && st[St::pressure] == 0.0f) {
        // Pen down after a pause: first move there without pressure.
        stroke_segment(surface, x, y, 0.0f, 90.0f, 0.0f, dtime - 0.0001);
        dtime = 0.0001;
    }

    {
        const float noise = base(S::tracking_noise);
        if (noise != 0.0f) {
            const float baseRadius = unclampedRadius(base(S::radius_logarithmic));
            const float noisyX = x + gauss_noise() * noise * baseRadius;
            const float noisyY = y + gauss_noise() * noise * baseRadius;
            if (std::isfinite(noisyX) && std::isfinite(noisyY)) {
                x = noisyX;
                y = noisyY;
            }
        }
    }

    {
        const float fac = 1.0f - decay_factor(base(S::slow_tracking), float(100.0 * dtime));
        x = st[St::pos_x] + (x - st[St::pos_x]) * fac;
        y = st[St::pos_y] + (y - st[St::pos_y]) * fac;
    }

    float dabsMoved = st[St::dab_fraction];
    float dabsTodo = count_dabs_between(x, y, pressure, float(dtime));

    if (dtime > 5.0) {
        // Long pause: start afresh at the pointer.
        for (int i = St::dab_fraction; i < kStateCount; ++i)
            st[size_t(i)] = 0.0f;
        st[St::pos_x] = st[St::dab_x] = x;
        st[St::pos_y] = st[St::dab_y] = y;
        st[St::pressure] = pressure;
        st[St::stroke] = 1.0f;
        return true;
    }

    // When extreme values make more dabs due than one event may paint, the
    // allowed number is spread evenly over the whole way.
    const int dabLimit = dabLimitForEvent();
    dabsTodo = usableDue(dabsTodo);
    float scale = 1.0f;
    if (dabsMoved + dabsTodo > float(dabLimit))
        scale = float(dabLimit) / (dabsMoved + dabsTodo);
    dabsTodo *= scale;

    Painted painted = Painted::Unknown;
    double timeLeft = dtime;
    int dabs = 0;
    while (dabsMoved + dabsTodo >= 1.0f && dabs < dabLimit) {
        float frac;
        if (dabsMoved > 0.0f) {
            frac = (1.0f - dabsMoved) / dabsTodo;
            dabsMoved = 0.0f;
        } else {
            frac = 1.0f / dabsTodo;
        }
        const float stepDt = float(frac * timeLeft);
        update_brush_states(frac * (x - st[St::pos_x]), frac * (y - st[St::pos_y]),
                            frac * (pressure - st[St::pressure]), frac * (tiltDeclination - st[St::declination]),
                            frac * (tiltAscension - st[St::ascension]), stepDt);
        if (draw_one_dab(surface))
            painted = Painted::Yes;
        else if (painted == Painted::Unknown)
            painted = Painted::No;
        // The float step can round above what is left; time never runs backwards here.
        timeLeft = std::max(0.0, timeLeft - double(stepDt));
        dabsTodo = usableDue(count_dabs_between(x, y, pressure, float(timeLeft))) * scale;
        ++dabs;
    }

    const float pressureDifference = pressure - st[St::pressure];
    update_brush_states(x - st[St::pos_x], y - st[St::pos_y], pressureDifference,
                        tiltDeclination - st[St::declination], tiltAscension - st[St::ascension],
                        float(timeLeft));

    float fraction = dabsMoved + dabsTodo;
    // Cut short by the limit, or not a number: whatever was still due is dropped.
    if (!std::isfinite(fraction) || fraction >= 1.0f)
        fraction = 0.0f;
    st[St::dab_fraction] = fraction;
    st[St::random_seed] = float(m_random.next());

    if (painted == Painted::Unknown)
        painted = (m_idleTime > 0.0 || m_paintingTime == 0.0) ? Painted::No : Painted::Yes;

    if (painted == Painted::Yes) {
        m_paintingTime += dtime;
        m_idleTime = 0.0;
        return pressureDifference >= 0.0f && m_paintingTime > 4.0 + 3.0 * pressure;
    }
    m_idleTime += dtime;
    if (m_paintingTime == 0.0)
        return m_idleTime > 1.0;
    return m_paintingTime + m_idleTime > 1.2 + 5.0 * pressure;
}
