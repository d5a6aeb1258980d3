#include "BrushInputDefinitions.h"

#include "BrushLog.h"

namespace {

struct InputRow {
    const char* name;
    float hardMinimum;
    float softMinimum;
    float normal;
    float softMaximum;
    float hardMaximum;
    const char* tooltip;
};

// Index order matters: it is the order of BrushInputIndex.
const InputRow kInputs[] = {
        {"pressure", 0.0f, 0.0f, 0.4f, 1.0f, 1.0f,
         "The pressure reported by the tablet, between 0.0 and 1.0. If you use the mouse, it will be 0.5 when a button is pressed and 0.0 otherwise."},
        {"speed1", -1.0f, 0.0f, 0.5f, 4.0f, -1.0f,
         "How fast you currently move. This can change very quickly. Try 'print input values' from the 'help' menu to get a feeling for the range; negative values are rare but possible for very low speed."},
        {"speed2", -1.0f, 0.0f, 0.5f, 4.0f, -1.0f,
         "Same as speed1, but changes slower. Also look at the 'speed2 filter' setting."},
        {"random", 0.0f, 0.0f, 0.5f, 1.0f, 1.0f,
         "Fast random noise, changing at each evaluation. Evenly distributed between 0 and 1."},
        {"stroke", 0.0f, 0.0f, 0.5f, 1.0f, 1.0f,
         "This input slowly goes from zero to one while you draw a stroke. It can also be configured to jump back to zero periodically while you move. Look at the 'stroke duration' and 'stroke hold time' settings."},
        {"direction", 0.0f, 0.0f, 0.0f, 180.0f, 180.0f,
         "The angle of the stroke, in degrees. The value will stay between 0.0 and 180.0, effectively ignoring turns of 180 degrees."},
        {"tilt_declination", 0.0f, 0.0f, 0.0f, 90.0f, 90.0f,
         "Declination of stylus tilt. 0 when stylus is parallel to tablet and 90.0 when it's perpendicular to tablet."},
        {"tilt_ascension", -180.0f, -180.0f, 0.0f, 180.0f, 180.0f,
         "Right ascension of stylus tilt. 0 when stylus working end points to you, +90 when rotated 90 degrees clockwise, -90 when rotated 90 degrees counterclockwise."},
        {"custom", -1.0f, -2.0f, 0.0f, 2.0f, -1.0f,
         "This is a user defined input. Look at the 'custom input' setting for details."},
};

} // namespace

BrushInputDefinitions* BrushInputDefinitions::sharedInstance()
{
    // Never freed, like the settings table.
    static BrushInputDefinitions* instance = new BrushInputDefinitions();
    return instance;
}

BrushInputDefinitions::BrushInputDefinitions()
{
    for (const InputRow& row : kInputs) {
        m_owned.push_back(std::make_unique<BrushInputDefinition>(
            QString::fromUtf8(row.name), row.hardMinimum, row.softMinimum, row.normal,
            row.softMaximum, row.hardMaximum, QString::fromUtf8(row.tooltip)));
        m_list.append(m_owned.back().get());
    }
    for (int i = 0; i < int(m_owned.size()); ++i) {
        m_owned[size_t(i)]->setIndex(i);
        m_dict.insert(m_owned[size_t(i)]->name(), m_owned[size_t(i)].get());
    }
}

BrushInputDefinitions::~BrushInputDefinitions()
{
    BrushLog::print(QByteArrayLiteral("Deleting static definitions for brush inputs\n"));
}
