#pragma once

#include <QString>

#include <concepts>

// "true" or "false". Only a real bool takes this form, not a number that
// would convert to one.
template <std::same_as<bool> B>
QString stringRep(B value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A value with one text form, reached as stringRep(value). Types declare
// their stringRep beside themselves, where argument lookup finds it.
template <typename T>
concept StringRepresentable = requires(const T& value) {
    { stringRep(value) } -> std::convertible_to<QString>;
};
