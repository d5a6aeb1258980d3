#pragma once

#include <QString>

#include <cstdint>
#include <variant>

// A documentation sample of an operation that can fail.
enum class MarkupSampleError { outOfPaper, noToner, onFire };

class MarkupSample {
public:
    // The quotient truncated toward zero, or onFire for a divisor of 0 (and
    // for the one quotient that does not fit, smallest value ÷ -1). The error
    // comes back as a value; nothing is thrown.
    static std::variant<std::int64_t, MarkupSampleError> sampleDivide(std::int64_t a, std::int64_t b);

    // As an error: its position in the list, in the type's domain.
    static int errorCode(MarkupSampleError error) { return static_cast<int>(error); }
    static QString errorDomain() { return QStringLiteral("VTRFoundation.MarkupSampleError"); }
};
