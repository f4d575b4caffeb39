#include "custom/custom_values.h"

// The plugin-owned datarefs are not published yet, so there is nothing to update.
void UpdateCustomValues() {}
