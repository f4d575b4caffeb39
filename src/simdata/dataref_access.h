// Reading and writing the dataref behind a board input. The rest of the
// plugin exchanges every input value as a 32-bit float; the type mask stored
// with the input when its board was configured picks the accessor. Reading
// prefers the int accessor and writing the array and float ones, because a
// dataref that offers several types is meant to be written with the finest.
#pragma once

#include "XPLMDataAccess.h"
#include "simdata/scratch_buffers.h"  // the values pass through ReadI, ReadF, ReadD

// The value of a dataref with this type mask (element counted from 1 for
// arrays); 0 for a mask with no numeric type.
float ReadTyped(XPLMDataRef ref, int types, int element);
// Stores value; does nothing for a mask with no numeric type or an array
// element below 1.
void WriteTyped(XPLMDataRef ref, int types, int element, float value);

// Float to int for int datarefs: truncated toward zero; NaN gives 0 and
// values beyond the int range give its nearest end.
int TruncateToInt(float value);

// The dataref of input `input` of board `board`; nothing (0) for indices
// that name no input.
float ReadDataref(unsigned board, unsigned input, unsigned element);
void WriteDataref(unsigned board, unsigned input, unsigned element, float value);
