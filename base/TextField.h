// Copying texts into fixed fields: at most the field size minus one characters and a zero.
#pragma once

#include <cstring>

// Field sizes: names, labels and displays travel in 8 bytes, long displays in 24.
constexpr int kShortTextSize = 8;
constexpr int kLongTextSize = 24;

// Copies text into a field of fieldSize bytes, cutting it to fieldSize - 1 characters and always
// terminating it. A null text gives an empty field; a null field or a size below 1 writes nothing.
inline void copyText(char* field, const char* text, int fieldSize)
{
    if (field == nullptr || fieldSize <= 0)
    {
        return;
    }
    int length = 0;
    if (text != nullptr)
    {
        while (length < fieldSize - 1 && text[length] != '\0')
        {
            ++length;
        }
        std::memcpy(field, text, static_cast<std::size_t>(length));
    }
    field[length] = '\0';
}

inline void copyShortText(char* field, const char* text)
{
    copyText(field, text, kShortTextSize);
}
