// printf-style formatting into the 8-byte and 24-byte text fields.
#include "parameters/ParameterFormat.h"

#include "base/TextField.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace
{
void formatInto(char* field, int fieldSize, const char* format, std::va_list arguments)
{
    char scratch[128];
    std::vsnprintf(scratch, sizeof(scratch), format, arguments);
    copyText(field, scratch, fieldSize);
}
} // namespace

void formatShortText(char* field, const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    formatInto(field, kShortTextSize, format, arguments);
    va_end(arguments);
}

void formatLongText(char* field, const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    formatInto(field, kLongTextSize, format, arguments);
    va_end(arguments);
}

void formatDecibels(char* field, float gain)
{
    if (!(gain > 0.0f))
    {
        copyShortText(field, "-oo");
        return;
    }
    formatShortText(field, "%.2f", 20.0 * std::log10(static_cast<double>(gain)));
}
