#include "custom/custom_refs.h"

std::vector<CustomDref> Kestrix_Drefs;
std::vector<CustomCommand> Kestrix_Commands;
std::vector<unsigned> CustomIndices;

// The plugin-owned datarefs and commands are not published yet; the
// registries stay empty until they are.
void InitiateCustom() {}

void UnregisterCustomDrefs() {
    for (const CustomDref& dref : Kestrix_Drefs) XPLMUnregisterDataAccessor(dref.handle);
}
