// Global memory as the product keeps the DOS files: movable, zeroed blocks
// locked while in use; an empty file makes an empty block.
#include "conformance.h"

namespace conformance {

void MemoryCase()
{
    for (SIZE_T bytes : {10, 0}) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
        BYTE* first = block ? (BYTE*)GlobalLock(block) : NULL;
        BYTE* second = first ? (BYTE*)GlobalLock(block) : NULL;
        {
            Line line("memory", "alloc and lock twice");
            line.Flag("valid", block != NULL).Num("size", block ? (long long)GlobalSize(block) : 0);
            line.Flag("locked", first != NULL);
            if (first)
                line.Flag("same", first == second).Hex("bytes", first, bytes);
        }
        // Still locked, or unlocked now (no error), or not locked at all.
        for (const char* step : {"unlock once of two", "unlock the last", "unlock unlocked"}) {
            if (!first)
                break;
            SetLastError(kMarkError);
            BOOL locked = GlobalUnlock(block);
            DWORD error = locked ? 0 : GetLastError();
            Line("memory", step).Flag("locked", locked).Num("error", error);
        }
        if (block)
            Line("memory", "free").Flag("freed", GlobalFree(block) == NULL);
    }
}

} // namespace conformance
