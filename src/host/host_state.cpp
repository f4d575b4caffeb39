#include "host/host_state.h"

LifecycleState lifecycle;
