#include "volume/format.h"

#include "app/system_library.h"
#include "app/text.h"
#include "disk/sector_io.h"

static const int kMaxRootLength = 260;
static const int kMaxFileSystemLength = 5;
static const int kMaxLabelLength = 11;
static const int kDriveListSize = 500;
static const int kStatusTextSize = 300;
static const char kLibraryName[] = "fmifs.dll";
static const char kFatLibraryName[] = "ufat.dll"; // which the library loads by name to format FAT
static const char kEntryName[] = "FormatEx";
// Characters FAT keeps out of a volume label, besides control characters.
static const char kLabelRefused[] = "*?/\\|.,;:+=[]<>\"";
static const BYTE kFirstPrintable = 0x20;
// DEL, and every character the format would have to store in the machine's
// OEM code page, whose upper half differs from one Windows to the next.
static const BYTE kFirstRefusedByte = 0x7F;

static const char* const kStatusTexts[] = {
    0,
    "Failed To Load fmifs.dll",
    "Failed To Get Function Address",
    "Supplied Drive Parameter Check Failed.",
    "Drive Does Not Exist.",
    "Supplied Format Parameter Check Failed.",
    "Supplied Label Parameter Check Failed.",
    "Failed To Dismount Drive.",
    "The drive is locked by another process.",
    "Another process has open file(s) on this drive.",
    "User Aborted Format.",
    "An Error Occurred Formating the Drive.",
};
static const char kUnknownText[] = "Unknow Error.";
static const char kSuccessText[] = "Format Completed Successfully";

// The library stays loaded, with its lock, once FormatEx has been found.
static HMODULE g_formatLibrary = NULL;
static FormatExProc g_formatEx = NULL;
static FormatStatus g_loadFailure = FORMAT_SUCCEEDED;
static CRITICAL_SECTION g_formatLock;
static FormatStatus g_formatStatus = FORMAT_NOT_REPORTED;
static HWND g_progressWindow = NULL;
static int g_formatCancelled = 0;
static char g_statusText[kStatusTextSize];

static int TextLength(const char* text, int limit)
{
    int n = 0;
    while (n <= limit && text[n] != 0)
        n++;
    return n; // limit + 1 means "longer than limit"
}

static int EqualsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++)
        if (AsciiUpper(*a) != AsciiUpper(*b))
            return 0;
    return *a == *b;
}

int LoadFormatLibrary(void)
{
    if (g_formatLibrary != NULL)
        return 1;
    HMODULE library = LoadSystemLibrary(kLibraryName, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == NULL) {
        g_loadFailure = FORMAT_LIBRARY_MISSING;
        return 0;
    }
    FormatExProc entry = (FormatExProc)(void*)GetProcAddress(library, kEntryName);
    if (entry == NULL) {
        FreeLibrary(library);
        g_loadFailure = FORMAT_ENTRY_MISSING;
        return 0;
    }
    g_formatLibrary = library;
    g_formatEx = entry;
    InitializeCriticalSection(&g_formatLock);
    return 1;
}

FormatStatus CheckFormatLibrary(void)
{
    return LoadFormatLibrary() ? FORMAT_SUCCEEDED : g_loadFailure;
}

// The drive's letter is among the logical drives; a failed list is empty.
static int DrivePresent(char letter)
{
    char drives[kDriveListSize];
    DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (length == 0 || length >= sizeof drives)
        return 0;
    drives[length] = 0;
    for (const char* entry = drives; entry < drives + length && *entry != 0;) {
        if (AsciiUpper(*entry) == AsciiUpper(letter))
            return 1;
        while (entry < drives + length && *entry != 0)
            entry++;
        entry++;
    }
    return 0;
}

FormatStatus CheckVolumeLabel(const char* label)
{
    if (label == NULL)
        return FORMAT_SUCCEEDED;
    // FAT names may not begin with a space.
    if (TextLength(label, kMaxLabelLength) > kMaxLabelLength || label[0] == ' ')
        return FORMAT_BAD_LABEL;
    for (const char* c = label; *c != 0; c++) {
        BYTE b = (BYTE)*c;
        if (b < kFirstPrintable || b >= kFirstRefusedByte)
            return FORMAT_BAD_LABEL;
        for (const char* r = kLabelRefused; *r != 0; r++)
            if (*c == *r)
                return FORMAT_BAD_LABEL;
    }
    return FORMAT_SUCCEEDED;
}

static int KnownFileSystem(const char* name)
{
    return EqualsIgnoringCase(name, "fat") || EqualsIgnoringCase(name, "fat32") ||
           EqualsIgnoringCase(name, "ntfs");
}

// Locks unless forced, dismounts and lets go of the volume; the status on
// failure, FORMAT_SUCCEEDED when FormatEx may go ahead.
static FormatStatus TakeVolume(const char* root, BOOL force)
{
    HANDLE volume = OpenVolumeByPath(root);
    if (volume == INVALID_HANDLE_VALUE)
        return FORMAT_OPEN_FAILED;
    FormatStatus status = FORMAT_SUCCEEDED;
    if (!force && !LockVolume(volume))
        status = FORMAT_LOCK_FAILED;
    else if (!DismountVolume(volume))
        status = FORMAT_DISMOUNT_FAILED;
    CloseHandle(volume); // ends the lock too; FormatEx opens the volume itself
    return status;
}

FormatStatus FormatVolume(HWND progressWindow, const char* root, const char* fileSystem,
                          const char* label, BOOL quick, BOOL force)
{
    if (!LoadFormatLibrary())
        return g_loadFailure;
    if (root == NULL || !IsAsciiLetter(root[0]) || TextLength(root, kMaxRootLength) > kMaxRootLength)
        return FORMAT_BAD_ROOT;
    if (!DrivePresent(root[0]))
        return FORMAT_NO_SUCH_DRIVE;
    if (fileSystem == NULL || fileSystem[0] == 0 ||
        TextLength(fileSystem, kMaxFileSystemLength) > kMaxFileSystemLength ||
        !KnownFileSystem(fileSystem))
        return FORMAT_BAD_FILE_SYSTEM;
    if (CheckVolumeLabel(label) != FORMAT_SUCCEEDED)
        return FORMAT_BAD_LABEL;

    WCHAR wideRoot[4] = {0, ':', '\\', 0};
    WCHAR wideFileSystem[kMaxFileSystemLength + 1] = {0};
    WCHAR wideLabel[kMaxLabelLength + 1] = {0};
    MultiByteToWideChar(CP_ACP, 0, root, 1, wideRoot, 1);
    MultiByteToWideChar(CP_ACP, 0, fileSystem, -1, wideFileSystem, kMaxFileSystemLength + 1);
    if (label != NULL)
        MultiByteToWideChar(CP_ACP, 0, label, -1, wideLabel, kMaxLabelLength + 1);

    g_formatStatus = FORMAT_NOT_REPORTED;
    EnterCriticalSection(&g_formatLock);
    g_progressWindow = progressWindow;
    FormatStatus taken = TakeVolume(root, force);
    if (taken != FORMAT_SUCCEEDED) {
        g_formatStatus = taken;
    } else {
        // Windows looks for a name beside the program first: the FAT library,
        // loaded here from the system directory, is found already loaded.
        // Every Windows XP has one; without it the format still goes ahead.
        HMODULE fatLibrary = LoadSystemLibrary(kFatLibraryName, LOAD_WITH_ALTERED_SEARCH_PATH);
        g_formatCancelled = 0;
        g_formatEx(wideRoot, 0, wideFileSystem, wideLabel, quick, 0, FormatCallback);
        if (fatLibrary != NULL)
            FreeLibrary(fatLibrary);
    }
    LeaveCriticalSection(&g_formatLock);
    return g_formatStatus;
}

BOOLEAN WINAPI FormatCallback(DWORD command, DWORD subAction, PVOID argument)
{
    (void)subAction;
    if (command == FMIFS_PROGRESS) {
        if (g_progressWindow == NULL)
            return TRUE;
        BYTE proceed = TRUE;
        DWORD percent = argument ? *(const DWORD*)argument : 0;
        SendMessageA(g_progressWindow, WM_FORMAT_PROGRESS, percent, (LPARAM)&proceed);
        if (proceed == 0) {
            g_formatCancelled = 1;
            return FALSE;
        }
        return proceed;
    }
    if (command == FMIFS_DONE) {
        // No report at all counts as a failure rather than a crash.
        BOOLEAN succeeded = argument ? *(const BOOLEAN*)argument : FALSE;
        if (succeeded)
            g_formatStatus = FORMAT_SUCCEEDED;
        else
            g_formatStatus = g_formatCancelled ? FORMAT_CANCELLED : FORMAT_FAILED;
    }
    return TRUE;
}

const char* FormatStatusText(FormatStatus status)
{
    const int count = (int)(sizeof kStatusTexts / sizeof kStatusTexts[0]);
    const char* text = (status >= 1 && status < count) ? kStatusTexts[status] : kUnknownText;
    FormatText(g_statusText, sizeof g_statusText, "FormatEx Error[%d]: %s", status, text);
    if (status == FORMAT_SUCCEEDED)
        CopyText(g_statusText, sizeof g_statusText, kSuccessText);
    return g_statusText;
}
