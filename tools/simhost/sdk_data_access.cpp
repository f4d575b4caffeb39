// The XPLMDataAccess functions, as the simulator behaves: an accessor whose
// type bit is not set reads 0, a write to a read-only dataref or through an
// unset type bit is ignored, array reads and writes are clamped to the array,
// and null or unknown handles are harmless. The accessors of a disabled
// plugin are never called.
#include <algorithm>
#include <cstring>

#include "XPLMDataAccess.h"
#include "dataref_store.h"
#include "observers.h"
#include "simhost.h"

namespace {

using simhost::detail::DataRefRecord;
using simhost::detail::LiveDataRef;
using simhost::detail::PluginAccessors;

// The record when reading through this type is allowed. A disabled plugin's
// accessors are not called: its datarefs read as 0 and ignore writes.
DataRefRecord* Readable(XPLMDataRef handle, XPLMDataTypeID type) {
    DataRefRecord* record = LiveDataRef(handle);
    if (record == nullptr || !(record->types & type)) return nullptr;
    if (record->pluginOwned && !simhost::PluginCallable()) return nullptr;
    return record;
}

DataRefRecord* Writable(XPLMDataRef handle, XPLMDataTypeID type) {
    DataRefRecord* record = Readable(handle, type);
    return record != nullptr && record->writable ? record : nullptr;
}

// Number of elements a range [offset, offset + count) keeps inside size.
int ClampedCount(int size, int offset, int count) {
    if (offset < 0 || count <= 0 || offset >= size) return 0;
    return std::min(count, size - offset);
}

template <typename Value>
int CopyElementsOut(const std::vector<double>& elements, Value* out, int offset, int max,
                    Value (*convert)(double)) {
    int size = static_cast<int>(elements.size());
    if (out == nullptr) return size;
    int count = ClampedCount(size, offset, max);
    for (int i = 0; i < count; ++i) out[i] = convert(elements[offset + i]);
    return count;
}

template <typename Value>
int CopyElementsIn(std::vector<double>& elements, const Value* in, int offset, int count) {
    if (in == nullptr) return 0;
    count = ClampedCount(static_cast<int>(elements.size()), offset, count);
    for (int i = 0; i < count; ++i) elements[offset + i] = in[i];
    return count;
}

// A plugin's array accessor is asked for the size with a null buffer; a range
// that starts before the array is refused here rather than handed on.
bool IsValidRange(const void* values, int offset, int count) {
    return values == nullptr || (offset >= 0 && count >= 0);
}

// What a write that took effect reports to the observer, if one watches.
void ReportScalar(const DataRefRecord& record, XPLMDataTypeID type, double value) {
    if (!simhost::detail::WatchingWrites()) return;
    simhost::DataRefWrite write;
    write.name = record.name;
    write.type = type;
    write.values = {value};
    simhost::detail::NotifyDataRefWrite(write);
}

template <typename Value>
void ReportElements(const DataRefRecord& record, XPLMDataTypeID type, const Value* values,
                    int offset, int count) {
    if (!simhost::detail::WatchingWrites()) return;
    simhost::DataRefWrite write;
    write.name = record.name;
    write.type = type;
    write.offset = offset;
    write.values.assign(values, values + count);
    simhost::detail::NotifyDataRefWrite(write);
}

void ReportBytes(const DataRefRecord& record, const void* bytes, int offset, int count) {
    if (!simhost::detail::WatchingWrites()) return;
    simhost::DataRefWrite write;
    write.name = record.name;
    write.type = xplmType_Data;
    write.offset = offset;
    write.bytes.assign(static_cast<const char*>(bytes), count);
    simhost::detail::NotifyDataRefWrite(write);
}

}  // namespace

XPLMDataRef XPLMFindDataRef(const char* inDataRefName) {
    if (inDataRefName == nullptr) return nullptr;
    return LiveDataRef(std::string(inDataRefName));
}

int XPLMCanWriteDataRef(XPLMDataRef inDataRef) {
    DataRefRecord* record = LiveDataRef(inDataRef);
    return record != nullptr && record->writable ? 1 : 0;
}

int XPLMIsDataRefGood(XPLMDataRef inDataRef) {
    return LiveDataRef(inDataRef) != nullptr ? 1 : 0;
}

XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef) {
    DataRefRecord* record = LiveDataRef(inDataRef);
    return record != nullptr ? record->types : xplmType_Unknown;
}

int XPLMGetDatai(XPLMDataRef inDataRef) {
    DataRefRecord* record = Readable(inDataRef, xplmType_Int);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) return simhost::detail::ToInt(record->scalar);
    const PluginAccessors& a = record->accessors;
    return a.readInt != nullptr ? a.readInt(a.readRefcon) : 0;
}

void XPLMSetDatai(XPLMDataRef inDataRef, int inValue) {
    DataRefRecord* record = Writable(inDataRef, xplmType_Int);
    if (record == nullptr) return;
    if (!record->pluginOwned) {
        record->scalar = inValue;
    } else if (record->accessors.writeInt != nullptr) {
        record->accessors.writeInt(record->accessors.writeRefcon, inValue);
    } else {
        return;
    }
    ++record->writes;
    ReportScalar(*record, xplmType_Int, inValue);
}

float XPLMGetDataf(XPLMDataRef inDataRef) {
    DataRefRecord* record = Readable(inDataRef, xplmType_Float);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) return simhost::detail::ToFloat(record->scalar);
    const PluginAccessors& a = record->accessors;
    return a.readFloat != nullptr ? a.readFloat(a.readRefcon) : 0;
}

void XPLMSetDataf(XPLMDataRef inDataRef, float inValue) {
    DataRefRecord* record = Writable(inDataRef, xplmType_Float);
    if (record == nullptr) return;
    if (!record->pluginOwned) {
        record->scalar = inValue;
    } else if (record->accessors.writeFloat != nullptr) {
        record->accessors.writeFloat(record->accessors.writeRefcon, inValue);
    } else {
        return;
    }
    ++record->writes;
    ReportScalar(*record, xplmType_Float, inValue);
}

double XPLMGetDatad(XPLMDataRef inDataRef) {
    DataRefRecord* record = Readable(inDataRef, xplmType_Double);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) return record->scalar;
    const PluginAccessors& a = record->accessors;
    return a.readDouble != nullptr ? a.readDouble(a.readRefcon) : 0;
}

void XPLMSetDatad(XPLMDataRef inDataRef, double inValue) {
    DataRefRecord* record = Writable(inDataRef, xplmType_Double);
    if (record == nullptr) return;
    if (!record->pluginOwned) {
        record->scalar = inValue;
    } else if (record->accessors.writeDouble != nullptr) {
        record->accessors.writeDouble(record->accessors.writeRefcon, inValue);
    } else {
        return;
    }
    ++record->writes;
    ReportScalar(*record, xplmType_Double, inValue);
}

int XPLMGetDatavi(XPLMDataRef inDataRef, int* outValues, int inOffset, int inMax) {
    DataRefRecord* record = Readable(inDataRef, xplmType_IntArray);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) {
        return CopyElementsOut(record->elements, outValues, inOffset, inMax,
                               simhost::detail::ToInt);
    }
    const PluginAccessors& a = record->accessors;
    if (a.readIntArray == nullptr || !IsValidRange(outValues, inOffset, inMax)) return 0;
    return a.readIntArray(a.readRefcon, outValues, inOffset, inMax);
}

void XPLMSetDatavi(XPLMDataRef inDataRef, int* inValues, int inoffset, int inCount) {
    DataRefRecord* record = Writable(inDataRef, xplmType_IntArray);
    if (record == nullptr || inValues == nullptr) return;
    if (!record->pluginOwned) {
        const int count = CopyElementsIn(record->elements, inValues, inoffset, inCount);
        if (count == 0) return;
        ++record->writes;
        ReportElements(*record, xplmType_IntArray, inValues, inoffset, count);
        return;
    }
    const PluginAccessors& a = record->accessors;
    if (a.writeIntArray == nullptr || inoffset < 0 || inCount <= 0) return;
    a.writeIntArray(a.writeRefcon, inValues, inoffset, inCount);
    ++record->writes;
    ReportElements(*record, xplmType_IntArray, inValues, inoffset, inCount);
}

int XPLMGetDatavf(XPLMDataRef inDataRef, float* outValues, int inOffset, int inMax) {
    DataRefRecord* record = Readable(inDataRef, xplmType_FloatArray);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) {
        return CopyElementsOut(record->elements, outValues, inOffset, inMax,
                               simhost::detail::ToFloat);
    }
    const PluginAccessors& a = record->accessors;
    if (a.readFloatArray == nullptr || !IsValidRange(outValues, inOffset, inMax)) return 0;
    return a.readFloatArray(a.readRefcon, outValues, inOffset, inMax);
}

void XPLMSetDatavf(XPLMDataRef inDataRef, float* inValues, int inoffset, int inCount) {
    DataRefRecord* record = Writable(inDataRef, xplmType_FloatArray);
    if (record == nullptr || inValues == nullptr) return;
    if (!record->pluginOwned) {
        const int count = CopyElementsIn(record->elements, inValues, inoffset, inCount);
        if (count == 0) return;
        ++record->writes;
        ReportElements(*record, xplmType_FloatArray, inValues, inoffset, count);
        return;
    }
    const PluginAccessors& a = record->accessors;
    if (a.writeFloatArray == nullptr || inoffset < 0 || inCount <= 0) return;
    a.writeFloatArray(a.writeRefcon, inValues, inoffset, inCount);
    ++record->writes;
    ReportElements(*record, xplmType_FloatArray, inValues, inoffset, inCount);
}

int XPLMGetDatab(XPLMDataRef inDataRef, void* outValue, int inOffset, int inMaxBytes) {
    DataRefRecord* record = Readable(inDataRef, xplmType_Data);
    if (record == nullptr) return 0;
    if (!record->pluginOwned) {
        int size = static_cast<int>(record->bytes.size());
        if (outValue == nullptr) return size;
        int count = ClampedCount(size, inOffset, inMaxBytes);
        if (count > 0) std::memcpy(outValue, record->bytes.data() + inOffset, count);
        return count;
    }
    const PluginAccessors& a = record->accessors;
    if (a.readData == nullptr || !IsValidRange(outValue, inOffset, inMaxBytes)) return 0;
    return a.readData(a.readRefcon, outValue, inOffset, inMaxBytes);
}

void XPLMSetDatab(XPLMDataRef inDataRef, void* inValue, int inOffset, int inLength) {
    DataRefRecord* record = Writable(inDataRef, xplmType_Data);
    if (record == nullptr || inValue == nullptr) return;
    if (!record->pluginOwned) {
        int count = ClampedCount(static_cast<int>(record->bytes.size()), inOffset, inLength);
        if (count == 0) return;
        std::memcpy(&record->bytes[inOffset], inValue, count);
        ++record->writes;
        ReportBytes(*record, inValue, inOffset, count);
        return;
    }
    const PluginAccessors& a = record->accessors;
    if (a.writeData == nullptr || inOffset < 0 || inLength <= 0) return;
    a.writeData(a.writeRefcon, inValue, inOffset, inLength);
    ++record->writes;
    ReportBytes(*record, inValue, inOffset, inLength);
}

XPLMDataRef XPLMRegisterDataAccessor(
    const char* inDataName, XPLMDataTypeID inDataType, int inIsWritable, XPLMGetDatai_f inReadInt,
    XPLMSetDatai_f inWriteInt, XPLMGetDataf_f inReadFloat, XPLMSetDataf_f inWriteFloat,
    XPLMGetDatad_f inReadDouble, XPLMSetDatad_f inWriteDouble, XPLMGetDatavi_f inReadIntArray,
    XPLMSetDatavi_f inWriteIntArray, XPLMGetDatavf_f inReadFloatArray,
    XPLMSetDatavf_f inWriteFloatArray, XPLMGetDatab_f inReadData, XPLMSetDatab_f inWriteData,
    void* inReadRefcon, void* inWriteRefcon) {
    if (inDataName == nullptr || inDataName[0] == '\0') return nullptr;
    // A name keeps its handle: a dataref found before the plugin registered
    // it, or kept across an unregistration, works again once registered.
    DataRefRecord& record = simhost::detail::DataRefSlot(inDataName);
    simhost::detail::MakeSimDataRef(record, inDataType, inIsWritable != 0, 0);
    record.pluginOwned = true;
    record.elements.clear();
    record.bytes.clear();
    record.accessors = PluginAccessors{
        inReadInt,     inWriteInt,     inReadFloat,     inWriteFloat,     inReadDouble,
        inWriteDouble, inReadIntArray, inWriteIntArray, inReadFloatArray, inWriteFloatArray,
        inReadData,    inWriteData,    inReadRefcon,    inWriteRefcon};
    return &record;
}

void XPLMUnregisterDataAccessor(XPLMDataRef inDataRef) {
    DataRefRecord* record = LiveDataRef(inDataRef);
    if (record == nullptr || !record->pluginOwned) return;
    record->live = false;
    record->accessors = PluginAccessors();
}
