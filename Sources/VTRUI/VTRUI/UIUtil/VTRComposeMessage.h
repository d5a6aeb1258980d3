#pragma once

#include <QString>

#include <cstdarg>

// printf-style formatting into a new text, for the messages of the library's
// checks. "%s" takes UTF-8 text.
QString VTRComposeMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
QString VTRComposeMessageV(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));
