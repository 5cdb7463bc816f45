#include "bootdisk/pipeline.h"

// The stages arrive with the disk, volume and DOS file services; until then
// there is no disk to work on and a run never succeeds.
int MakeBootableDisk(void)
{
    return 0;
}
