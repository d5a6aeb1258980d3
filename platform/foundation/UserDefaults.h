#pragma once

#include <QSizeF>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

namespace platform {

// The program's settings: values the user (or the program) stored, over a
// registered domain of defaults that lives in memory only and is never
// written to the settings file. A stored value wins over a registered one.
// Sizes are kept as text in the form "{640, 480}".
class UserDefaults {
public:
    static UserDefaults& standard();

    void registerDefaults(const QVariantMap& defaults);
    QVariantMap registeredDefaults() const { return m_registered; }

    QVariant value(const QString& key) const;
    bool hasStoredValue(const QString& key) const;

    // Absent or unreadable values read as 0, false, "" or {0, 0}.
    int integer(const QString& key) const;
    double doubleValue(const QString& key) const;
    bool boolean(const QString& key) const;
    QString string(const QString& key) const;
    QSizeF size(const QString& key) const;
    QVariantList array(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void setSize(const QString& key, const QSizeF& size);
    void removeValue(const QString& key);
    void synchronize();

    // Path of the settings file (for tests and diagnostics).
    QString fileName() const;

    // Keeps the stored values in the ini file at path from now on (a missing
    // file starts empty); an empty path goes back to the user's own file.
    // Tests give every case a file of its own, so no value outlives its test.
    void useSettingsFile(const QString& path);
    // Replaces the whole registered domain, so a test can put back the
    // defaults it found.
    void setRegisteredDefaults(const QVariantMap& defaults) { m_registered = defaults; }

    ~UserDefaults();

private:
    UserDefaults();
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};

} // namespace platform
