// The USB disk list of the main dialog.
#ifndef TARNWICK_DISK_LIST_H
#define TARNWICK_DISK_LIST_H

#include "disk/disk_query.h"

const int DISK_ITEM_TEXT_SIZE = 1000;
const int DISK_NAME_SIZE = 500;

// Rebuilds the list, enables Start only when a disk is listed and refills the
// label box.
void RefreshDiskList(void);

// The drive number of the selected item, or -1 when nothing usable is
// selected (no selection, or the placeholder item).
int GetSelectedDiskIndex(void);

// The selected item's text in a static buffer valid until the next call, or
// null when nothing is selected or the text has 500 characters or more.
const char* GetSelectedDiskName(void);

// Puts the selected disk's current volume label into the label box, or
// leaves it empty.
void FillLabelFromVolume(void);

// Whether a disk may be offered: 512-byte sectors, removable, on USB storage.
int IsListableDisk(const DiskInfo* info);

// Whether drive n, as info describes it now, is the disk the list was made
// with: one it would offer, with the instance path and length remembered for
// n when the list was last built.
int IsListedDisk(int n, const DiskInfo* info);

// The item text: name, decimal megabytes, "Mb" and " [X:\]" for the first
// lettered partition.
void FormatDiskItemText(const DiskInfo* info, char* buffer, int size);

#endif
