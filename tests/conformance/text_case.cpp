// Texts as the product makes them: every format it passes to its bounded
// formatter, against the system's wsprintfA (the product's text on both
// sides, and the system's), and the texts it widens for the format library.
#include "conformance.h"

#include "app/text.h"

#include <climits>
#include <cstring>

static void Both(int size, const char* format, ...)
{
    char product[1100];
    char system[1100];
    va_list args;
    va_start(args, format);
    int productLength = FormatTextV(product, size, format, args);
    va_end(args);
    va_start(args, format);
    int systemLength = world::SystemFormat(system, size, format, args);
    va_end(args);
    Line line("format", format);
    line["size"] = size;
    line["product"] = {product, productLength};
    line["system"] = {system, systemLength};
}

void TextCase()
{
    const int kRoom = 1000;
    Both(kRoom, "%s %uMb [%c:\\]", "Generic Flash Disk USB Device", 67u, 'F');
    Both(kRoom, "%s %uMb", "Generic Flash Disk USB Device", 4294967295u);
    Both(kRoom, "%C:\\", 'e');
    Both(kRoom, "Formating...(%d%%)", 100);
    Both(kRoom, "\\\\.\\PHYSICALDRIVE%d", INT_MIN);
    Both(kRoom, "\\\\.\\%c:", 'f');
    Both(kRoom, "\\\\.\\%C:", 'f');
    Both(kRoom, "\\DosDevices\\%C:", 'A');
    Both(kRoom, "FormatEx Error[%d]: %s", -1, "Unknown Error.");
    Both(kRoom, "\\device\\harddisk%d\\partition%d", 3, 1);
    Both(kRoom, "%c:\\%s", 'D', "COMMAND.COM");
    Both(kRoom, "%s%s%s", "head ", "name", " tail");
    Both(kRoom, "Formating Drive...%C:\\", 'D');
    Both(kRoom, "\\%s", "diskcopy.dll");
    // Cut at the bound: what fits, terminated.
    Both(6, "%s-%d", "abcdef", 12);
    Both(8, "\\\\.\\PHYSICALDRIVE%d", 7);
    Both(1, "%d", 5);

    // The root's letter alone, the file system name and the label,
    // terminated; the last two in the ANSI code page of a Western European
    // Windows.
    const struct {
        const char* step;
        const char* text;
        int length, room;
    } widened[] = {{"root letter", "E:\\", 1, 1},
                   {"file system", "fat", -1, 4},
                   {"label of eleven", "DOS BOOT 11", -1, 12},
                   {"label one too long", "DOS BOOT 12X", -1, 12},
                   {"accented", "Caf\xe9 \xc4\xd6", -1, 12},
                   {"between 80h and 9Fh", "\x80\x8a\x9c\x9f", -1, 12}};
    for (const auto& w : widened) {
        WCHAR wide[16];
        std::memset(wide, 0xEE, sizeof wide);
        SetLastError(0);
        int count = MultiByteToWideChar(CP_ACP, 0, w.text, w.length, wide, w.room);
        Line line("text", w.step);
        if (count == 0)
            line["error"] = GetLastError();
        else
            line["wide"] = Hex(wide, (std::size_t)count * sizeof(WCHAR));
    }
}
