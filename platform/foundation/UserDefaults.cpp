#include "UserDefaults.h"

#include "Geometry.h"

#include <QSettings>

namespace platform {

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults;
    return defaults;
}

namespace {

std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Velumo"), QStringLiteral("Velumo"));
}

} // namespace

UserDefaults::UserDefaults()
    : m_settings(userSettings())
{
}

UserDefaults::~UserDefaults() = default;

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::value(const QString& key) const
{
    if (m_settings->contains(key))
        return m_settings->value(key);
    return m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const
{
    return m_settings->contains(key);
}

int UserDefaults::integer(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? int(d) : 0;
}

double UserDefaults::doubleValue(const QString& key) const
{
    bool ok = false;
    const double d = value(key).toDouble(&ok);
    return ok ? d : 0.0;
}

bool UserDefaults::boolean(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString) {
        // The ini file stores booleans as text.
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("yes"))
            return true;
        bool ok = false;
        const int n = s.toInt(&ok);
        return ok && n != 0;
    }
    return v.toBool();
}

QString UserDefaults::string(const QString& key) const
{
    return value(key).toString();
}

QSizeF UserDefaults::size(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QSizeF || v.typeId() == QMetaType::QSize)
        return v.toSizeF();
    return sizeFromString(v.toString());
}

QVariantList UserDefaults::array(const QString& key) const
{
    return value(key).toList();
}

void UserDefaults::setValue(const QString& key, const QVariant& value)
{
    m_settings->setValue(key, value);
}

void UserDefaults::setSize(const QString& key, const QSizeF& size)
{
    m_settings->setValue(key, stringFromSize(size));
}

void UserDefaults::removeValue(const QString& key)
{
    m_settings->remove(key);
}

void UserDefaults::synchronize()
{
    m_settings->sync();
}

QString UserDefaults::fileName() const
{
    return m_settings->fileName();
}

void UserDefaults::useSettingsFile(const QString& path)
{
    m_settings->sync();
    if (path.isEmpty())
        m_settings = userSettings();
    else
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace platform
