// Every format the product passes to its bounded formatter, against the
// system's wsprintfA: the product's text on both sides, and the system's.
#include "conformance.h"

#include "app/text.h"

#include <climits>

namespace conformance {

namespace {

void Both(int size, const char* format, ...)
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
    Line("format", format)
        .Num("size", size)
        .Text("product", product)
        .Num("product length", productLength)
        .Text("system", system)
        .Num("system length", systemLength);
}

} // namespace

void FormatCase()
{
    const int kRoom = 1000;
    Both(kRoom, "%s", "");
    // As the product uses them.
    Both(kRoom, "%s %uMb [%c:\\]", "Generic Flash Disk USB Device", 67u, 'F');
    Both(kRoom, "%s %uMb", "Generic Flash Disk USB Device", 4294967295u);
    Both(kRoom, "%C:\\", 'e');
    Both(kRoom, "Formating...(%d%%)", 100);
    Both(kRoom, "\\\\.\\PHYSICALDRIVE%d", 0);
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
}

} // namespace conformance
