// Texts widened for the format library as the product does it: the root's
// letter alone, the file system name and the label, terminated.
#include "conformance.h"

#include <cstring>

namespace conformance {

void TextCase()
{
    // The ANSI code page of a Western European Windows for the last two.
    const struct {
        const char* step;
        const char* text;
        int length, room;
    } cases[] = {{"root letter", "E:\\", 1, 1},
                 {"file system", "fat", -1, 4},
                 {"label of eleven", "DOS BOOT 11", -1, 12},
                 {"label one too long", "DOS BOOT 12X", -1, 12},
                 {"size asked", "DOSBOOT", -1, 0},
                 {"accented", "Caf\xe9 \xc4\xd6", -1, 12},
                 {"between 80h and 9Fh", "\x80\x8a\x9c\x9f", -1, 12}};
    for (const auto& c : cases) {
        WCHAR wide[16];
        std::memset(wide, 0xEE, sizeof wide);
        SetLastError(0);
        int count = MultiByteToWideChar(CP_ACP, 0, c.text, c.length, c.room ? wide : NULL, c.room);
        DWORD error = GetLastError();
        Line line("text", c.step);
        line.Num("count", count);
        if (count == 0)
            line.Num("error", error);
        else if (c.room)
            line.Hex("wide", wide, (std::size_t)count * sizeof(WCHAR));
    }
}

} // namespace conformance
