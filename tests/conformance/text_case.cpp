// Texts as the product makes them: every format it passes to its formatter,
// against the system's wsprintfA (the product's text on both sides, and the
// system's), and the texts it widens for the format library.
#include "conformance.h"

#include "app/text.h"

#include <climits>

// Cutting at a bound is the formatter's own: the native suite proves it.
static void Both(const char* format, ...)
{
    char product[1100], system[1100];
    va_list args, copy;
    va_start(args, format);
    va_copy(copy, args);
    int productLength = FormatTextV(product, sizeof product, format, args);
    int systemLength = world::SystemFormat(system, format, copy);
    va_end(copy);
    va_end(args);
    Line line("format", format);
    line["product"] = {product, productLength};
    line["system"] = {system, systemLength};
}

void TextCase()
{
    Both("%s %uMb [%c:\\]", "Generic Flash Disk USB Device", 67u, 'F');
    Both("%s %uMb", "Generic Flash Disk USB Device", 4294967295u);
    Both("%C:\\", 'e');
    Both("Formating...(%d%%)", 100);
    Both("\\\\.\\PHYSICALDRIVE%d", INT_MIN);
    Both("\\\\.\\%c:", 'f');
    Both("\\\\.\\%C:", 'f');
    Both("\\DosDevices\\%C:", 'A');
    Both("FormatEx Error[%d]: %s", -1, "Unknown Error.");
    Both("\\device\\harddisk%d\\partition%d", 3, 1);
    Both("%c:\\%s", 'D', "COMMAND.COM");
    Both("%s%s%s", "head ", "name", " tail");
    Both("Formating Drive...%C:\\", 'D');
    Both("\\%s", "diskcopy.dll");

    // The root's letter alone, the file system name and the label,
    // terminated; the last two in the ANSI code page of a Western European
    // Windows.
    const struct { const char *step, *text; int length, room; } widened[] = {
        {"root letter", "E:\\", 1, 1}, {"file system", "fat", -1, 4},
        {"label of eleven", "DOS BOOT 11", -1, 12}, {"label one too long", "DOS BOOT 12X", -1, 12},
        {"accented", "Caf\xe9 \xc4\xd6", -1, 12}, {"80h to 9Fh", "\x80\x8a\x9c\x9f", -1, 12}};
    for (const auto& w : widened) {
        WCHAR wide[16];
        SetLastError(0);
        int count = MultiByteToWideChar(CP_ACP, 0, w.text, w.length, wide, w.room);
        Step("text", w.step, count == 0, std::vector<WCHAR>(wide, wide + count));
    }
}
