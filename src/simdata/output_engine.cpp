#include "simdata/output_engine.h"

// Outputs are not formatted or sent yet.
void SendBoardOutputs() {}
