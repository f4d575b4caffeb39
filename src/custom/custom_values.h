#pragma once

// Once per cycle: brings the plugin-owned datarefs that some board shows up to date.
void UpdateCustomValues();
