#include "code_page.h"

namespace winsim {

namespace {

// Bytes 80h to 9Fh; the rest of the page is Latin-1. The five bytes 1252
// leaves undefined keep their own value, as MultiByteToWideChar gives them.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char16_t WideFromAnsi(unsigned char c)
{
    return c >= 0x80 && c <= 0x9F ? kHigh[c - 0x80] : (char16_t)c;
}

char AnsiFromWide(char16_t c)
{
    for (int i = 0; i < 32; i++)
        if (kHigh[i] == c)
            return (char)(0x80 + i);
    return c < 0x100 && !(c >= 0x80 && c <= 0x9F) ? (char)c : '?';
}

std::string ToAnsi(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
        out.push_back(AnsiFromWide(c));
    return out;
}

} // namespace winsim
