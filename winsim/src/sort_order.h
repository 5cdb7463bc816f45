// The order in which sorted list and combo boxes keep their items.
#ifndef WINSIM_SORT_ORDER_H
#define WINSIM_SORT_ORDER_H

#include <string>

namespace winsim {

// Compares as Windows' word sort ignoring case does for ANSI text: hyphens and
// apostrophes count only when all else is equal; other punctuation sorts
// before digits, and digits before letters. Negative, zero or positive.
int CompareForSort(const std::string& a, const std::string& b);

} // namespace winsim

#endif
