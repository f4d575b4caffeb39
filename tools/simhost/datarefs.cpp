// Dataref registry and the control API's direct access to values.
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "dataref_store.h"
#include "handle_arena.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace detail {
namespace {

struct DataRefRegistry {
    HandleArena<DataRefRecord> arena;
    std::unordered_map<std::string, DataRefRecord*> byName;
};

DataRefRegistry& Registry() {
    static DataRefRegistry registry;
    return registry;
}

const char kFrameRatePeriod[] = "sim/operation/misc/frame_rate_period";

// Largest byte buffer read back from a plugin's byte accessor.
constexpr int kMaxPluginBytes = 1 << 20;

}  // namespace

DataRefRecord* LiveDataRef(XPLMDataRef handle) {
    DataRefRecord* record = Registry().arena.Find(handle);
    return record != nullptr && record->live ? record : nullptr;
}

DataRefRecord* LiveDataRef(const std::string& name) {
    auto found = Registry().byName.find(name);
    if (found == Registry().byName.end() || !found->second->live) return nullptr;
    return found->second;
}

DataRefRecord& DataRefSlot(const std::string& name) {
    DataRefRegistry& registry = Registry();
    auto found = registry.byName.find(name);
    if (found != registry.byName.end()) return *found->second;
    DataRefRecord& record = registry.arena.Add();
    record.name = name;
    registry.byName.emplace(name, &record);
    return record;
}

void MakeSimDataRef(DataRefRecord& record, XPLMDataTypeID types, bool writable, int arraySize) {
    arraySize = std::max(arraySize, 0);
    record.live = true;
    record.pluginOwned = false;
    record.accessors = PluginAccessors();
    record.types = types;
    record.writable = writable;
    record.writes = 0;
    record.scalar = record.name == kFrameRatePeriod ? FramePeriod() : 0.0;
    bool isArray = (types & (xplmType_FloatArray | xplmType_IntArray)) != 0;
    record.elements.assign(isArray ? arraySize : 0, 0.0);
    int byteLength = arraySize > 0 ? arraySize : kUnsizedByteDataLength;
    record.bytes.assign((types & xplmType_Data) != 0 ? byteLength : 0, '\0');
}

int ToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

float ToFloat(double value) {
    const double limit = std::numeric_limits<float>::max();
    if (value > limit) return std::numeric_limits<float>::infinity();
    if (value < -limit) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

void ResetDataRefs() {
    for (DataRefRecord& record : Registry().arena.Records()) {
        record.live = false;
        record.pluginOwned = false;
        record.accessors = PluginAccessors();
        record.elements.clear();
        record.bytes.clear();
        record.scalar = 0;
        record.writes = 0;
    }
}

void ForgetPluginDataRefs() {
    for (DataRefRecord& record : Registry().arena.Records()) {
        if (!record.pluginOwned) continue;
        record.live = false;
        record.accessors = PluginAccessors();
    }
}

namespace {

// The helpers below call a plugin's accessors; while the plugin is disabled
// they read 0 or nothing and write nothing, as every other reader sees it.

// Reads a plugin-owned scalar through the widest accessor it offers.
double ReadPluginScalar(const DataRefRecord& record) {
    if (!PluginCallable()) return 0;
    const PluginAccessors& a = record.accessors;
    if ((record.types & xplmType_Double) && a.readDouble) return a.readDouble(a.readRefcon);
    if ((record.types & xplmType_Float) && a.readFloat) return a.readFloat(a.readRefcon);
    if ((record.types & xplmType_Int) && a.readInt) return a.readInt(a.readRefcon);
    return 0;
}

void WritePluginScalar(const DataRefRecord& record, double value) {
    if (!PluginCallable()) return;
    const PluginAccessors& a = record.accessors;
    if ((record.types & xplmType_Double) && a.writeDouble) {
        a.writeDouble(a.writeRefcon, value);
    } else if ((record.types & xplmType_Float) && a.writeFloat) {
        a.writeFloat(a.writeRefcon, ToFloat(value));
    } else if ((record.types & xplmType_Int) && a.writeInt) {
        a.writeInt(a.writeRefcon, ToInt(value));
    }
}

double ReadPluginElement(const DataRefRecord& record, int index) {
    if (!PluginCallable()) return 0;
    const PluginAccessors& a = record.accessors;
    if ((record.types & xplmType_FloatArray) && a.readFloatArray) {
        float value = 0;
        return a.readFloatArray(a.readRefcon, &value, index, 1) == 1 ? value : 0.0;
    }
    if ((record.types & xplmType_IntArray) && a.readIntArray) {
        int value = 0;
        return a.readIntArray(a.readRefcon, &value, index, 1) == 1 ? value : 0.0;
    }
    return 0;
}

void WritePluginElement(const DataRefRecord& record, int index, double value) {
    if (!PluginCallable()) return;
    const PluginAccessors& a = record.accessors;
    if ((record.types & xplmType_FloatArray) && a.writeFloatArray) {
        float element = ToFloat(value);
        a.writeFloatArray(a.writeRefcon, &element, index, 1);
    } else if ((record.types & xplmType_IntArray) && a.writeIntArray) {
        int element = ToInt(value);
        a.writeIntArray(a.writeRefcon, &element, index, 1);
    }
}

std::string ReadPluginBytes(const DataRefRecord& record) {
    const PluginAccessors& a = record.accessors;
    if (!PluginCallable() || !(record.types & xplmType_Data) || !a.readData) return std::string();
    int size = std::clamp(a.readData(a.readRefcon, nullptr, 0, 0), 0, kMaxPluginBytes);
    std::string bytes(size, '\0');
    int copied = size > 0 ? a.readData(a.readRefcon, &bytes[0], 0, size) : 0;
    bytes.resize(std::clamp(copied, 0, size));
    return bytes;
}

// Byte data reads back as text: trailing zero bytes are padding.
std::string WithoutTrailingZeros(std::string bytes) {
    size_t end = bytes.find_last_not_of('\0');
    bytes.resize(end == std::string::npos ? 0 : end + 1);
    return bytes;
}

}  // namespace
}  // namespace detail

using detail::DataRefRecord;
using detail::LiveDataRef;

XPLMDataRef AddDataRef(const std::string& name, XPLMDataTypeID types, bool writable,
                       int arraySize) {
    if (name.empty()) return nullptr;
    DataRefRecord& record = detail::DataRefSlot(name);
    detail::MakeSimDataRef(record, types, writable, arraySize);
    return &record;
}

bool HasDataRef(const std::string& name) {
    return LiveDataRef(name) != nullptr;
}

bool IsPluginDataRef(const std::string& name) {
    DataRefRecord* record = LiveDataRef(name);
    return record != nullptr && record->pluginOwned;
}

void SetValue(const std::string& name, double value) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr) return;
    if (record->pluginOwned) {
        detail::WritePluginScalar(*record, value);
    } else {
        record->scalar = value;
    }
}

double GetValue(const std::string& name) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr) return 0;
    return record->pluginOwned ? detail::ReadPluginScalar(*record) : record->scalar;
}

void SetElement(const std::string& name, int index, double value) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr || index < 0) return;
    if (record->pluginOwned) {
        detail::WritePluginElement(*record, index, value);
    } else if (index < static_cast<int>(record->elements.size())) {
        record->elements[index] = value;
    }
}

double GetElement(const std::string& name, int index) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr || index < 0) return 0;
    if (record->pluginOwned) return detail::ReadPluginElement(*record, index);
    if (index >= static_cast<int>(record->elements.size())) return 0;
    return record->elements[index];
}

void SetBytes(const std::string& name, const std::string& bytes) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr) return;
    if (record->pluginOwned) {
        const detail::PluginAccessors& a = record->accessors;
        if (PluginCallable() && (record->types & xplmType_Data) && a.writeData) {
            std::string copy = bytes;
            a.writeData(a.writeRefcon, &copy[0], 0, static_cast<int>(copy.size()));
        }
        return;
    }
    // The buffer keeps its size: longer text is cut, the rest is zeroed.
    std::string& stored = record->bytes;
    size_t length = std::min(bytes.size(), stored.size());
    std::fill(stored.begin(), stored.end(), '\0');
    std::copy_n(bytes.begin(), length, stored.begin());
}

std::string GetBytes(const std::string& name) {
    DataRefRecord* record = LiveDataRef(name);
    if (record == nullptr) return std::string();
    std::string bytes = record->pluginOwned ? detail::ReadPluginBytes(*record) : record->bytes;
    return detail::WithoutTrailingZeros(std::move(bytes));
}

int WriteCount(const std::string& name) {
    DataRefRecord* record = LiveDataRef(name);
    return record != nullptr ? record->writes : 0;
}

}  // namespace simhost
