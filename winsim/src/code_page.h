// The ANSI code page of the simulated machine: 1252, as a Western European
// Windows XP has it.
#ifndef WINSIM_CODE_PAGE_H
#define WINSIM_CODE_PAGE_H

#include <string>

namespace winsim {

char16_t WideFromAnsi(unsigned char c);
// The ANSI byte of a UTF-16 character; '?' for one the code page lacks.
char AnsiFromWide(char16_t c);
// Converts resource text (UTF-16) as Windows does for the A functions.
std::string ToAnsi(const std::u16string& text);

} // namespace winsim

#endif
