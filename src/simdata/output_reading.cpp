#include "simdata/output_reading.h"

#include <algorithm>
#include <cstring>

#include "XPLMDataAccess.h"
#include "simdata/output_format.h"
#include "simdata/output_mapping.h"
#include "simdata/scratch_buffers.h"

namespace {

constexpr int kNumericTypes =
    xplmType_FloatArray | xplmType_IntArray | xplmType_Float | xplmType_Int | xplmType_Double;

bool SameValue(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;  // NaN equals NaN, 0 differs from -0
}

bool TextEquals(const std::string& text, const char* bytes, std::size_t length) {
    return text.size() == length && std::memcmp(text.data(), bytes, length) == 0;
}

// One element, tested in the order float array, int array, float, int,
// double. An element beyond the array reads 0, not what the buffer held.
float ReadElement(XPLMDataRef ref, int type, int element) {
    if (type & xplmType_FloatArray) {
        ReadF[0] = 0;
        XPLMGetDatavf(ref, ReadF, element - 1, 1);
        return ReadF[0];
    }
    if (type & xplmType_IntArray) {
        ReadI[0] = 0;
        XPLMGetDatavi(ref, ReadI, element - 1, 1);
        return static_cast<float>(ReadI[0]);
    }
    if (type & xplmType_Float) return XPLMGetDataf(ref);
    if (type & xplmType_Int) return static_cast<float>(XPLMGetDatai(ref));
    return static_cast<float>(XPLMGetDatad(ref));
}

// The panel's values into ReadF: the first count elements of an array (those
// the array does not have read 0), or the one value of a scalar. Returns how
// many values there are.
std::size_t ReadValues(XPLMDataRef ref, int type, int arraynum) {
    const bool isArray = type & (xplmType_FloatArray | xplmType_IntArray);
    if (!isArray) {
        ReadF[0] = ReadElement(ref, type, 1);
        return 1;
    }
    const std::size_t count = std::min<std::size_t>(std::max(arraynum, 0), kScratchElements);
    if (type & xplmType_FloatArray) {
        std::fill(ReadF, ReadF + count, 0.0f);
        XPLMGetDatavf(ref, ReadF, 0, static_cast<int>(count));
        return count;
    }
    std::fill(ReadI, ReadI + count, 0);
    XPLMGetDatavi(ref, ReadI, 0, static_cast<int>(count));
    for (std::size_t k = 0; k < count; ++k) ReadF[k] = static_cast<float>(ReadI[k]);
    return count;
}

void FormatMapped(const BoardOutput& out, float raw, float* mapped, char* text,
                  std::size_t* length) {
    *mapped = MapOutputValue(raw, out.OutRange1, out.OutRange2, OutputKind(out));
    *length = FormatOutputValue(static_cast<double>(*mapped), out.Precision, text);
}

void TakeValue(BoardOutput& out, float raw) {
    OutputMemory& memory = out.Memory;
    if (memory.read && SameValue(memory.raw, raw)) return;
    char text[kFormattedSize];
    std::size_t length = 0;
    FormatMapped(out, raw, &memory.mapped, text, &length);
    memory.text.assign(text, length);
    memory.raw = raw;
    memory.read = true;
}

void TakeValues(BoardOutput& out, std::size_t count) {
    OutputMemory& memory = out.Memory;
    if (memory.read && memory.rawArray.size() == count &&
        std::memcmp(memory.rawArray.data(), ReadF, count * sizeof(float)) == 0) {
        return;
    }
    memory.rawArray.assign(ReadF, ReadF + count);
    memory.text.clear();
    for (std::size_t k = 0; k < count; ++k) {
        char text[kFormattedSize];
        std::size_t length = 0;
        FormatMapped(out, ReadF[k], &memory.mapped, text, &length);
        if (k > 0) memory.text += ',';
        memory.text.append(text, length);
    }
    memory.read = true;
}

// Byte data is its own text, up to the first zero byte; Precision bounds
// how many bytes are read.
void TakeBytes(BoardOutput& out) {
    const int most = std::clamp(out.Precision, 0, static_cast<int>(kScratchElements));
    const int got = most > 0 ? XPLMGetDatab(out.Drefread, ReadC, 0, most) : 0;
    const std::size_t copied = static_cast<std::size_t>(std::clamp(got, 0, most));
    const std::size_t length = strnlen(ReadC, copied);
    OutputMemory& memory = out.Memory;
    memory.mapped = 0;
    memory.read = true;
    if (!TextEquals(memory.text, ReadC, length)) memory.text.assign(ReadC, length);
}

}  // namespace

bool ReadBoardOutput(BoardOutput& out) {
    if (out.Drefread == nullptr) return false;
    if (out.Type & kNumericTypes) {
        TakeValue(out, ReadElement(out.Drefread, out.Type, out.Arraynum));
        return true;
    }
    if (out.Type != xplmType_Data) return false;
    TakeBytes(out);
    return true;
}

bool ReadPanelOutput(BoardOutput& out) {
    if (out.Drefread == nullptr) return false;
    if (out.Type & kNumericTypes) {
        TakeValues(out, ReadValues(out.Drefread, out.Type, out.Arraynum));
        return true;
    }
    if (out.Type != xplmType_Data) return false;
    TakeBytes(out);
    return true;
}
