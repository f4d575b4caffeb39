// The records behind dataref handles, shared by the control API, the table
// loader and the SDK functions.
#pragma once

#include <string>
#include <vector>

#include "XPLMDataAccess.h"

namespace simhost::detail {

// The accessors and refcons a plugin gave XPLMRegisterDataAccessor.
struct PluginAccessors {
    XPLMGetDatai_f readInt = nullptr;
    XPLMSetDatai_f writeInt = nullptr;
    XPLMGetDataf_f readFloat = nullptr;
    XPLMSetDataf_f writeFloat = nullptr;
    XPLMGetDatad_f readDouble = nullptr;
    XPLMSetDatad_f writeDouble = nullptr;
    XPLMGetDatavi_f readIntArray = nullptr;
    XPLMSetDatavi_f writeIntArray = nullptr;
    XPLMGetDatavf_f readFloatArray = nullptr;
    XPLMSetDatavf_f writeFloatArray = nullptr;
    XPLMGetDatab_f readData = nullptr;
    XPLMSetDatab_f writeData = nullptr;
    void* readRefcon = nullptr;
    void* writeRefcon = nullptr;
};

struct DataRefRecord {
    std::string name;
    bool live = false;         // found by name and usable through its handle
    bool pluginOwned = false;  // values come from the plugin's accessors
    XPLMDataTypeID types = 0;
    bool writable = false;
    // The simulator's own storage: one scalar for int/float/double access,
    // elements for float and int arrays, bytes for byte data.
    double scalar = 0;
    std::vector<double> elements;
    std::string bytes;
    int writes = 0;
    PluginAccessors accessors;
};

// Size of a byte dataref whose table entry gives none ("byte[]").
constexpr int kUnsizedByteDataLength = 1024;

// The live record behind a handle, or nullptr.
DataRefRecord* LiveDataRef(XPLMDataRef handle);
// The live record with this name, or nullptr.
DataRefRecord* LiveDataRef(const std::string& name);
// The record for this name, live or not, created (not live) when missing, so
// that a name keeps one handle for the life of the process.
DataRefRecord& DataRefSlot(const std::string& name);

// Gives a record fresh simulator-owned storage for the types and size.
void MakeSimDataRef(DataRefRecord& record, XPLMDataTypeID types, bool writable, int arraySize);

// Conversions the simulator applies between its stored doubles and the
// accessor types; out-of-range and NaN values never cause undefined behaviour.
int ToInt(double value);
float ToFloat(double value);

}  // namespace simhost::detail
