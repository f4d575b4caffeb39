#include "simdata/output_engine.h"

OutputMessage output;

// Outputs are not formatted or sent yet.
void SendBoardOutputs() {}
