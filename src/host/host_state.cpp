#include "host/host_state.h"

LifecycleState lifecycle;
Settings settings;
StartupState startup;
