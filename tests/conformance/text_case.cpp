// Texts widened for the format library as the product does it: the root's
// letter alone, the file system name and the label, terminated.
#include "conformance.h"

#include <cstring>

namespace conformance {

namespace {

void Widen(const char* step, const char* text, int length, int room)
{
    WCHAR wide[16];
    std::memset(wide, 0xEE, sizeof wide);
    SetLastError(0);
    int count = MultiByteToWideChar(CP_ACP, 0, text, length, room ? wide : NULL, room);
    Line line("text", step);
    line.Num("count", count);
    if (count == 0)
        line.Num("error", GetLastError());
    else if (room)
        line.Hex("wide", wide, (std::size_t)count * sizeof(WCHAR));
}

} // namespace

void TextCase()
{
    Widen("root letter", "E:\\", 1, 1);
    Widen("file system", "fat", -1, 4);
    Widen("label", "DOSBOOT", -1, 12);
    Widen("label of eleven", "DOS BOOT 11", -1, 12);
    Widen("label one too long", "DOS BOOT 12X", -1, 12);
    Widen("size asked", "DOSBOOT", -1, 0);
    // The ANSI code page of a Western European Windows.
    Widen("accented", "Caf\xe9 \xc4\xd6", -1, 12);
    Widen("between 80h and 9Fh", "\x80\x8a\x9c\x9f", -1, 12);
}

} // namespace conformance
