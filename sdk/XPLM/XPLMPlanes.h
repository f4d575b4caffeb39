#ifndef XPLMPlanes_h
#define XPLMPlanes_h

#include "XPLMDefs.h"

#define XPLM_USER_AIRCRAFT 0

// Index 0 is the user's aircraft; outFileName gets the .acf file name,
// outPath its full path (buffers of at least 256 and 512 bytes).
XPLM_API void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath);

#endif
