#include "base/plugin_state.h"

PluginState pluginState;
