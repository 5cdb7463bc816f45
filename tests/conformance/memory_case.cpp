// Global memory as the product keeps the DOS files: movable, zeroed blocks
// locked while in use.
#include "conformance.h"

namespace conformance {

namespace {

const DWORD kMarkError = 0xDEAD;

void Unlock(const char* step, HGLOBAL block)
{
    SetLastError(kMarkError);
    BOOL locked = GlobalUnlock(block);
    // Still locked, or unlocked now (no error), or not locked at all.
    Line("memory", step).Flag("locked", locked).Num("error", locked ? 0 : GetLastError());
}

} // namespace

void MemoryCase()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
    Line("memory", "alloc").Flag("valid", block != NULL);
    if (!block)
        return;
    Line("memory", "size").Num("bytes", (long long)GlobalSize(block));
    BYTE* first = (BYTE*)GlobalLock(block);
    BYTE* second = (BYTE*)GlobalLock(block);
    {
        Line line("memory", "lock twice");
        line.Flag("valid", first != NULL).Flag("same", first == second);
        if (first)
            line.Hex("bytes", first, 10);
    }
    Unlock("unlock once of two", block);
    Unlock("unlock the last", block);
    Unlock("unlock unlocked", block);
    Line("memory", "free").Flag("freed", GlobalFree(block) == NULL);

    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 0);
    Line("memory", "alloc empty").Flag("valid", empty != NULL);
    if (!empty)
        return;
    Line("memory", "empty size").Num("bytes", (long long)GlobalSize(empty));
    Line("memory", "lock empty").Flag("valid", GlobalLock(empty) != NULL);
    Line("memory", "free empty").Flag("freed", GlobalFree(empty) == NULL);
}

} // namespace conformance
