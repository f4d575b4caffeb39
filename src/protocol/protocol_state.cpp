#include "protocol/protocol_state.h"

CycleState cycleState;
DiscoveryState discovery;
