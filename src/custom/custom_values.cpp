#include "custom/custom_values.h"

#include "base/plugin_state.h"
#include "custom/custom_refs.h"

namespace {

// Moving flaps: the flap position differs from where the handle asks it to be.
void UpdateFlapsInTransition(CustomDref& dref) {
    const float position = XPLMGetDataf(dref.sourceA);
    const float handle = XPLMGetDataf(dref.sourceB);
    dref.value = position == handle ? 0 : 1;
}

// 0 off, 1 armed, 2 captured. Captured shows steadily; armed blinks, one
// change every 0.4 s at the frame period measured in the previous cycle.
void UpdateAltitudeHold(CustomDref& dref) {
    const int status = XPLMGetDatai(dref.sourceA);
    if (status != 1) {
        dref.value = status / 2;
        return;
    }
    const double frame = pluginState.frametime;
    // A frame period that is not a positive number gives no limit to reach.
    const bool limitReached = frame > 0 && static_cast<double>(dref.blinkCounter) > 0.4 / frame;
    if (limitReached) {
        dref.value = 1 - dref.value;
        dref.blinkCounter = 0;
    }
    dref.blinkCounter += 1.0f;
}

}  // namespace

void UpdateCustomValues() {
    for (unsigned index : CustomIndices) {
        if (index >= Kestrix_Drefs.size()) continue;
        CustomDref& dref = Kestrix_Drefs[index];
        if (dref.kind == 1) {
            UpdateFlapsInTransition(dref);
        } else if (dref.kind == 2) {
            UpdateAltitudeHold(dref);
        }
    }
}
