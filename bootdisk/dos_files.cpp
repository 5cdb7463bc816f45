#include "bootdisk/dos_files.h"

#include "app/system_library.h"
#include "app/text.h"

static const char kLibraryFile[] = "diskcopy.dll";
static const char kResourceType[] = "BINFILE";
static const int kResourceId = 1;
static const int kTargetPathSize = 20;

// The three files in the order they are written, as they are named in the
// floppy's root directory and on the new volume.
static const char* const kImageNames[DOS_FILE_COUNT] = {"IO      SYS", "MSDOS   SYS", "COMMAND COM"};
static const char* const kTargetNames[DOS_FILE_COUNT] = {"IO.SYS", "MSDOS.SYS", "COMMAND.COM"};

static const DWORD kIoSysPatchOffset = 938;
static const DWORD kCommandComPatchOffset = 25872;
static const BYTE kPatchByte = 0xEB;

static int NameMatches(const BYTE* entry, const char* name)
{
    for (int i = 0; i < DIR_ENTRY_NAME_SIZE; i++)
        if (AsciiUpper((char)entry[i]) != AsciiUpper(name[i]))
            return 0;
    return 1;
}

static DWORD GetLe32(const BYTE* p)
{
    return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24;
}

// Where the file of a root directory entry lies in the image: 1 when it is
// not empty and lies wholly inside, so that nothing is read outside it.
static int FileSpan(const BYTE* entry, DWORD imageSize, ULONGLONG* start, DWORD* size)
{
    DWORD cluster = (DWORD)(entry[DIR_ENTRY_FIRST_CLUSTER] | entry[DIR_ENTRY_FIRST_CLUSTER + 1] << 8);
    *size = GetLe32(entry + DIR_ENTRY_FILE_SIZE);
    *start = FLOPPY_CLUSTER_BASE + (ULONGLONG)cluster * 512;
    return cluster != 0 && *size != 0 && *start + *size <= imageSize;
}

HGLOBAL ExtractImageFile(const BYTE* image, DWORD imageSize, const BYTE* entry)
{
    if (image == NULL || entry == NULL)
        return NULL;
    ULONGLONG start = 0;
    DWORD size = 0;
    if (!FileSpan(entry, imageSize, &start, &size))
        return NULL;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == NULL)
        return NULL;
    BYTE* bytes = (BYTE*)GlobalLock(block);
    if (bytes == NULL) {
        GlobalFree(block);
        return NULL;
    }
    for (DWORD i = 0; i < size; i++)
        bytes[i] = image[start + i];
    GlobalUnlock(block);
    return block;
}

int WriteBlockToFile(HGLOBAL block, const char* path)
{
    SIZE_T length = GlobalSize(block);
    if (length == 0)
        return 0;
    void* bytes = GlobalLock(block);
    if (bytes == NULL)
        return 0;
    int result = 0;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        result = WriteFile(file, bytes, (DWORD)length, &written, NULL) && written == length;
        // What the file system still holds of the file reaches the disk on
        // closing: a failed close is a failed write.
        result = CloseHandle(file) && result;
    }
    GlobalUnlock(block);
    return result;
}

// The start-up floppy image in diskcopy.dll, held while it is read.
struct FloppyImage {
    HMODULE library;
    HGLOBAL resource;
    const BYTE* bytes;
    DWORD size;
};

static void CloseFloppyImage(FloppyImage* image)
{
    if (image->resource != NULL)
        FreeResource(image->resource);
    FreeLibrary(image->library);
}

// Loads the library and locks its image; on failure nothing stays held.
static ExtractStatus OpenFloppyImage(FloppyImage* image)
{
    image->library = LoadSystemLibrary(kLibraryFile, LOAD_LIBRARY_AS_DATAFILE); // its code never runs
    if (image->library == NULL)
        return EXTRACT_NO_LIBRARY;
    HRSRC found = FindResourceA(image->library, MAKEINTRESOURCEA(kResourceId), kResourceType);
    image->resource = found ? LoadResource(image->library, found) : NULL;
    image->bytes = image->resource ? (const BYTE*)LockResource(image->resource) : NULL;
    image->size = image->bytes ? SizeofResource(image->library, found) : 0;
    ExtractStatus status = EXTRACT_SUCCEEDED;
    if (found == NULL)
        status = EXTRACT_NO_RESOURCE;
    else if (image->resource == NULL)
        status = EXTRACT_LOAD_FAILED;
    else if (image->bytes == NULL)
        status = EXTRACT_FILE_MISSING;
    if (status != EXTRACT_SUCCEEDED)
        CloseFloppyImage(image);
    return status;
}

// The root directory entry of each of the three files: the first entry of
// its name, whose file must lie inside the image. -5 unless all three do.
static ExtractStatus FindDosFiles(const FloppyImage* image, const BYTE* entries[DOS_FILE_COUNT])
{
    for (int f = 0; f < DOS_FILE_COUNT; f++)
        entries[f] = NULL;
    if (image->size < FLOPPY_ROOT_END)
        return EXTRACT_FILE_MISSING;
    // Every entry is looked at, also those after one that ends the directory.
    for (int e = 0; e < FLOPPY_ROOT_ENTRIES; e++) {
        const BYTE* entry = image->bytes + FLOPPY_ROOT_OFFSET + (size_t)e * DIR_ENTRY_SIZE;
        for (int f = 0; f < DOS_FILE_COUNT; f++) {
            if (entries[f] == NULL && NameMatches(entry, kImageNames[f])) {
                entries[f] = entry;
                break;
            }
        }
    }
    for (int f = 0; f < DOS_FILE_COUNT; f++) {
        ULONGLONG start = 0;
        DWORD size = 0;
        if (entries[f] == NULL || !FileSpan(entries[f], image->size, &start, &size))
            return EXTRACT_FILE_MISSING;
    }
    return EXTRACT_SUCCEEDED;
}

ExtractStatus CheckDosFiles(DWORD fileSizes[DOS_FILE_COUNT])
{
    if (fileSizes == NULL)
        return EXTRACT_FILE_MISSING;
    FloppyImage image;
    ExtractStatus status = OpenFloppyImage(&image);
    if (status != EXTRACT_SUCCEEDED)
        return status;
    const BYTE* entries[DOS_FILE_COUNT];
    status = FindDosFiles(&image, entries);
    for (int f = 0; f < DOS_FILE_COUNT; f++) {
        ULONGLONG start = 0;
        fileSizes[f] = 0;
        if (status == EXTRACT_SUCCEEDED)
            FileSpan(entries[f], image.size, &start, &fileSizes[f]);
    }
    CloseFloppyImage(&image);
    return status;
}

static ExtractStatus WriteFiles(char letter, HGLOBAL copies[DOS_FILE_COUNT])
{
    for (int f = 0; f < DOS_FILE_COUNT; f++) {
        char path[kTargetPathSize];
        FormatText(path, sizeof path, "%c:\\%s", letter, kTargetNames[f]);
        if (!WriteBlockToFile(copies[f], path))
            return EXTRACT_WRITE_FAILED;
    }
    return EXTRACT_SUCCEEDED;
}

ExtractStatus ExtractDosFiles(char letter)
{
    if (!IsAsciiLetter(letter))
        return EXTRACT_BAD_LETTER;
    FloppyImage image;
    ExtractStatus status = OpenFloppyImage(&image);
    if (status != EXTRACT_SUCCEEDED)
        return status;
    const BYTE* entries[DOS_FILE_COUNT];
    HGLOBAL copies[DOS_FILE_COUNT] = {NULL, NULL, NULL};
    status = FindDosFiles(&image, entries);
    for (int f = 0; f < DOS_FILE_COUNT && status == EXTRACT_SUCCEEDED; f++) {
        copies[f] = ExtractImageFile(image.bytes, image.size, entries[f]);
        if (copies[f] == NULL)
            status = EXTRACT_FILE_MISSING;
    }
    if (status == EXTRACT_SUCCEEDED)
        status = WriteFiles(letter, copies);
    for (int f = 0; f < DOS_FILE_COUNT; f++)
        if (copies[f] != NULL)
            GlobalFree(copies[f]);
    CloseFloppyImage(&image);
    return status;
}

// Writes the patch byte at offset of an existing file; a file too short for
// it is left as it is, and any failed step gives 0.
static int PatchFile(const char* path, DWORD offset)
{
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BYTE present = 0, patch = kPatchByte;
    DWORD moved = 0;
    int result = SetFilePointer(file, (LONG)offset, NULL, FILE_BEGIN) == offset &&
                 ReadFile(file, &present, 1, &moved, NULL) && moved == 1 &&
                 SetFilePointer(file, (LONG)offset, NULL, FILE_BEGIN) == offset &&
                 WriteFile(file, &patch, 1, &moved, NULL) && moved == 1;
    return CloseHandle(file) && result;
}

int PatchDosFiles(char letter)
{
    char path[kTargetPathSize];
    FormatText(path, sizeof path, "%c:\\%s", letter, kTargetNames[0]);
    if (!PatchFile(path, kIoSysPatchOffset))
        return 0;
    FormatText(path, sizeof path, "%c:\\%s", letter, kTargetNames[2]);
    return PatchFile(path, kCommandComPatchOffset);
}
