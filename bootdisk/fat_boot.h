// Installing the program's own DOS boot loader into a FAT boot sector.
#ifndef TARNWICK_FAT_BOOT_H
#define TARNWICK_FAT_BOOT_H

// The loader replaces boot-sector bytes 62..511; 0..61 (the jump, OEM name
// and parameter blocks) stay as the formatter wrote them.
const int FAT_BOOT_CODE_OFFSET = 62;
const int FAT_BOOT_CODE_SIZE = 450;

// Rewrites the code area of the boot sector of the volume at letter; 1 on
// success, 0 when the volume cannot be opened, read or written.
int WriteFatBootCode(char letter);

#endif
