#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform {

// Reads a property list, in its XML form or in the old text form
// ("{ key = value; }", "( a, b )", "<0fa3>", quoted and bare strings).
// Dictionaries become QVariantMap, arrays QVariantList, strings QString,
// integers qlonglong, reals double, booleans bool, data QByteArray and dates
// QDateTime (UTC). The text form has only strings, arrays, dictionaries and
// data: a number written there is a string.
//
// Input comes from the network: anything malformed, or nested deeper than
// kMaxDepth, gives no value and a reason, never a partial one.
class PropertyList {
public:
    static constexpr int kMaxDepth = 128;

    static std::optional<QVariant> fromText(const QString& text, QString* error = nullptr);
    // Bytes in either form; the text form is read as UTF-8.
    static std::optional<QVariant> fromData(const QByteArray& data, QString* error = nullptr);
};

} // namespace platform
