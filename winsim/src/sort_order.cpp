#include "sort_order.h"

#include <cstring>

namespace winsim {

namespace {

// Punctuation in the order of the Windows default sort table.
const char kSymbols[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

bool Ignored(unsigned char c)
{
    return c == '-' || c == '\'';
}

// A primary weight: symbols, then digits, then letters without case, then
// everything else in code order.
int Weight(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        c = (unsigned char)(c - 32);
    if (c >= 'A' && c <= 'Z')
        return 300 + (c - 'A');
    if (c >= '0' && c <= '9')
        return 200 + (c - '0');
    if (c != 0) {
        const char* at = std::strchr(kSymbols, c);
        if (at)
            return 100 + (int)(at - kSymbols);
    }
    return 400 + c;
}

int ComparePrimary(const std::string& a, const std::string& b)
{
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && Ignored((unsigned char)a[i]))
            i++;
        while (j < b.size() && Ignored((unsigned char)b[j]))
            j++;
        if (i == a.size() || j == b.size())
            return (i == a.size() ? 0 : 1) - (j == b.size() ? 0 : 1);
        int d = Weight((unsigned char)a[i]) - Weight((unsigned char)b[j]);
        if (d != 0)
            return d;
        i++;
        j++;
    }
}

} // namespace

int CompareForSort(const std::string& a, const std::string& b)
{
    int primary = ComparePrimary(a, b);
    if (primary != 0)
        return primary;
    // Equal but for hyphens and apostrophes: the text with fewer sorts first.
    std::size_t ia = 0, ib = 0;
    for (unsigned char c : a)
        ia += Ignored(c);
    for (unsigned char c : b)
        ib += Ignored(c);
    return (int)ia - (int)ib;
}

} // namespace winsim
