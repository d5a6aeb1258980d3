#pragma once

#include <QByteArray>

// The brush engine reports on standard output, as its diagnostics always did:
// failed checks print "Assert Failed!!" without a line break and carry on.
namespace BrushLog {

void assertFailed();

// Writes the text as it is (the caller supplies any line break).
void print(const QByteArray& text);

} // namespace BrushLog
