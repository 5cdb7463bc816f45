// Bounded text formatting and copying into fixed character buffers.
#ifndef TARNWICK_TEXT_H
#define TARNWICK_TEXT_H

#include <stdarg.h>

// Formats like wsprintf into buffer, never writing more than size characters
// including the terminator; a longer result is cut. Understands %d, %u, %x,
// %c, %C (a character, as a letter), %s and %%. Returns the length written.
int FormatText(char* buffer, int size, const char* format, ...);
int FormatTextV(char* buffer, int size, const char* format, va_list args);

// Copies at most size - 1 characters of source and terminates; returns the
// length copied. A null source gives the empty text.
int CopyText(char* buffer, int size, const char* source);

// ASCII only: drive letters and 8.3 names, whatever the code page.
int IsAsciiLetter(char c);
char AsciiUpper(char c);

#endif
