// The DOS system files: taken from the start-up floppy image that Windows
// keeps in diskcopy.dll, written to the new volume and patched.
#ifndef TARNWICK_DOS_FILES_H
#define TARNWICK_DOS_FILES_H

#include "app/platform.h"

typedef int ExtractStatus;
const ExtractStatus EXTRACT_SUCCEEDED = 0;
const ExtractStatus EXTRACT_BAD_LETTER = -1;
const ExtractStatus EXTRACT_NO_LIBRARY = -2;
const ExtractStatus EXTRACT_NO_RESOURCE = -3;
const ExtractStatus EXTRACT_LOAD_FAILED = -4;
const ExtractStatus EXTRACT_FILE_MISSING = -5;
const ExtractStatus EXTRACT_WRITE_FAILED = -6;

// IO.SYS, MSDOS.SYS and COMMAND.COM.
const int DOS_FILE_COUNT = 3;

// The floppy image: a 1.44 MB FAT12 disk, one 512-byte sector per cluster.
const DWORD FLOPPY_ROOT_OFFSET = 0x2600;
const int FLOPPY_ROOT_ENTRIES = 224;
const int DIR_ENTRY_SIZE = 32;
const DWORD FLOPPY_ROOT_END = FLOPPY_ROOT_OFFSET + FLOPPY_ROOT_ENTRIES * DIR_ENTRY_SIZE;
const DWORD FLOPPY_CLUSTER_BASE = 0x3E00; // cluster c starts at base + c * 512
const int DIR_ENTRY_NAME_SIZE = 11;
const int DIR_ENTRY_FIRST_CLUSTER = 26;
const int DIR_ENTRY_FILE_SIZE = 28;

// Copies IO.SYS, MSDOS.SYS and COMMAND.COM to the root of the volume at letter.
ExtractStatus ExtractDosFiles(char letter);

// The read half of ExtractDosFiles: loads the library, finds the image and
// the three files in it, lets everything go and writes nothing. 0 when the
// files can be had, with their sizes in the order they are written; else
// the failure ExtractDosFiles would give (-2 to -5).
ExtractStatus CheckDosFiles(DWORD fileSizes[DOS_FILE_COUNT]);

// A movable, zeroed block holding the file of a root directory entry, or
// null when the entry is empty or the file does not lie inside the image.
HGLOBAL ExtractImageFile(const BYTE* image, DWORD imageSize, const BYTE* entry);

// Writes the whole block to a new file at path; 1 on success.
int WriteBlockToFile(HGLOBAL block, const char* path);

// Writes the one patch byte into IO.SYS and into COMMAND.COM; 1 on success.
int PatchDosFiles(char letter);

#endif
