#include "VTRComposeMessage.h"

QString VTRComposeMessage(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    QString text = VTRComposeMessageV(format, arguments);
    va_end(arguments);
    return text;
}

QString VTRComposeMessageV(const char* format, va_list arguments)
{
    if (!format)
        return QString();
    return QString::vasprintf(format, arguments);
}
