// The USB disk list of the main dialog.
#ifndef TARNWICK_DISK_LIST_H
#define TARNWICK_DISK_LIST_H

// Rebuilds the list, enables Start only when a disk is listed and refills the
// label box.
void RefreshDiskList(void);

// The drive number of the selected item, or -1 when nothing usable is
// selected (no selection, or the placeholder item).
int GetSelectedDiskIndex(void);

#endif
