// printf-style formatting into the 8-byte and 24-byte text fields.
#pragma once

// Formats into a scratch buffer and copies at most 7 characters and a terminator into field.
void formatShortText(char* field, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same for the 24-byte long display field (23 characters).
void formatLongText(char* field, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The decibel text of a linear gain: "-oo" for 0 or less, else "%.2f" of 20 log10(gain).
void formatDecibels(char* field, float gain);
