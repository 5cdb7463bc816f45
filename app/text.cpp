#include "app/text.h"

namespace {

struct Output {
    char* buffer;
    int size;
    int length;
};

void Put(Output& out, char c)
{
    if (out.length + 1 < out.size) {
        out.buffer[out.length] = c;
        out.length++;
    }
}

void PutUnsigned(Output& out, unsigned long long value, unsigned base)
{
    char digits[24];
    int count = 0;
    do {
        unsigned d = (unsigned)(value % base);
        digits[count++] = (char)(d < 10 ? '0' + d : 'a' + d - 10);
        value /= base;
    } while (value != 0);
    while (count > 0)
        Put(out, digits[--count]);
}

} // namespace

int FormatTextV(char* buffer, int size, const char* format, va_list args)
{
    if (buffer == 0 || size <= 0)
        return 0;
    Output out = { buffer, size, 0 };
    for (const char* p = format ? format : ""; *p != 0; p++) {
        if (*p != '%') {
            Put(out, *p);
            continue;
        }
        p++;
        switch (*p) {
        case 'd': {
            long long value = va_arg(args, int);
            if (value < 0) {
                Put(out, '-');
                value = -value;
            }
            PutUnsigned(out, (unsigned long long)value, 10);
            break;
        }
        case 'u':
            PutUnsigned(out, va_arg(args, unsigned int), 10);
            break;
        case 'x':
            PutUnsigned(out, va_arg(args, unsigned int), 16);
            break;
        case 'c':
        case 'C':
            Put(out, (char)va_arg(args, int));
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            for (const char* s = text ? text : ""; *s != 0; s++)
                Put(out, *s);
            break;
        }
        case '%':
            Put(out, '%');
            break;
        case 0:
            p--; // a lone % at the end is dropped
            break;
        default:
            Put(out, '%');
            Put(out, *p);
            break;
        }
    }
    buffer[out.length] = 0;
    return out.length;
}

int FormatText(char* buffer, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = FormatTextV(buffer, size, format, args);
    va_end(args);
    return length;
}

int CopyText(char* buffer, int size, const char* source)
{
    if (buffer == 0 || size <= 0)
        return 0;
    int length = 0;
    if (source != 0) {
        while (length + 1 < size && source[length] != 0) {
            buffer[length] = source[length];
            length++;
        }
    }
    buffer[length] = 0;
    return length;
}

int IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}
