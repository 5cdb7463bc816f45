// The Start pipeline: turns the selected USB disk into a bootable DOS disk.
#ifndef TARNWICK_PIPELINE_H
#define TARNWICK_PIPELINE_H

#include "app/platform.h"

// 1 when every stage succeeded; 0 on failure, on No, or without a selection.
int MakeBootableDisk(void);

#endif
