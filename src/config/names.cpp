#include "config/names.h"

#include <algorithm>

#include "custom/custom_refs.h"

bool CommandIsHold(const std::string& name) {
    static const char* const kHeld[] = {"kestrix/starter_ignition", "engage_starter",
                                        "annunciator/test", "autopilot/test_auto_annunciators"};
    for (const char* part : kHeld) {
        if (name.find(part) != std::string::npos) return true;
    }
    return false;
}

void AddCustomRef(const std::string& name) {
    for (std::size_t k = 0; k < Kestrix_Drefs.size(); ++k) {
        if (Kestrix_Drefs[k].name != name) continue;
        const unsigned index = static_cast<unsigned>(k);
        if (std::find(CustomIndices.begin(), CustomIndices.end(), index) == CustomIndices.end()) {
            CustomIndices.push_back(index);
        }
        return;
    }
}
