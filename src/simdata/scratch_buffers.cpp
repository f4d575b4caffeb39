#include "simdata/scratch_buffers.h"

int ReadI[kScratchElements];
float ReadF[kScratchElements];
double ReadD[kScratchElements];
char ReadC[kScratchElements];
