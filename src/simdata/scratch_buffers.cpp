#include "simdata/scratch_buffers.h"

int ReadI[kScratchElements];
float ReadF[kScratchElements];
char ReadC[kScratchElements];
