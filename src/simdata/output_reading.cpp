#include "simdata/output_reading.h"

#include <algorithm>
#include <cstring>

#include "XPLMDataAccess.h"
#include "simdata/output_format.h"
#include "simdata/output_mapping.h"
#include "simdata/scratch_buffers.h"

namespace {

bool SameValue(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;  // NaN equals NaN, 0 differs from -0
}

bool TextEquals(const std::string& text, const char* bytes, std::size_t length) {
    return text.size() == length && std::memcmp(text.data(), bytes, length) == 0;
}

bool IsArray(OutputRead read) {
    return read == OutputRead::FloatArray || read == OutputRead::IntArray;
}

// One element of an array, or the value of a scalar. An element beyond the
// array reads 0, not what the buffer held.
float ReadElement(const OutputCompact& c, int element) {
    switch (c.read) {
        case OutputRead::FloatArray:
            ReadF[0] = 0;
            XPLMGetDatavf(c.ref, ReadF, element - 1, 1);
            return ReadF[0];
        case OutputRead::IntArray:
            ReadI[0] = 0;
            XPLMGetDatavi(c.ref, ReadI, element - 1, 1);
            return static_cast<float>(ReadI[0]);
        case OutputRead::Float:
            return XPLMGetDataf(c.ref);
        case OutputRead::Int:
            return static_cast<float>(XPLMGetDatai(c.ref));
        default:
            return static_cast<float>(XPLMGetDatad(c.ref));
    }
}

// The panel's values into ReadF: the first count elements of an array (those
// the array does not have read 0), or the one value of a scalar. Returns how
// many values there are.
std::size_t ReadValues(const OutputCompact& c) {
    if (!IsArray(c.read)) {
        ReadF[0] = ReadElement(c, 1);
        return 1;
    }
    const std::size_t count = std::min<std::size_t>(std::max(c.element, 0), kScratchElements);
    if (c.read == OutputRead::FloatArray) {
        std::fill(ReadF, ReadF + count, 0.0f);
        XPLMGetDatavf(c.ref, ReadF, 0, static_cast<int>(count));
        return count;
    }
    std::fill(ReadI, ReadI + count, 0);
    XPLMGetDatavi(c.ref, ReadI, 0, static_cast<int>(count));
    for (std::size_t k = 0; k < count; ++k) ReadF[k] = static_cast<float>(ReadI[k]);
    return count;
}

float Mapped(const BoardOutput& out, float raw) {
    return MapOutputValue(raw, out.OutRange1, out.OutRange2, out.Compact.kind);
}

// The text follows from the mapped value and the precision alone, and the
// mapped value from the reading alone: whatever is unchanged bit for bit
// since the last reading is not worked out again.
void TakeValue(BoardOutput& out, float raw) {
    OutputMemory& memory = out.Memory;
    if (memory.read && SameValue(memory.raw, raw)) return;
    const float mapped = Mapped(out, raw);
    memory.raw = raw;
    if (memory.read && SameValue(memory.mapped, mapped)) return;
    char text[kFormattedSize];
    const std::size_t length = FormatOutputValue(static_cast<double>(mapped), out.Precision, text);
    memory.text.assign(text, length);
    memory.mapped = mapped;
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
        memory.mapped = Mapped(out, ReadF[k]);
        const std::size_t length =
            FormatOutputValue(static_cast<double>(memory.mapped), out.Precision, text);
        if (k > 0) memory.text += ',';
        memory.text.append(text, length);
    }
    memory.read = true;
}

// Byte data is its own text, up to the first zero byte; Precision bounds
// how many bytes are read.
void TakeBytes(BoardOutput& out) {
    const int most = std::clamp(out.Precision, 0, static_cast<int>(kScratchElements));
    const int got = most > 0 ? XPLMGetDatab(out.Compact.ref, ReadC, 0, most) : 0;
    const std::size_t copied = static_cast<std::size_t>(std::clamp(got, 0, most));
    const std::size_t length = strnlen(ReadC, copied);
    OutputMemory& memory = out.Memory;
    memory.mapped = 0;
    memory.read = true;
    if (!TextEquals(memory.text, ReadC, length)) memory.text.assign(ReadC, length);
}

// Nothing to read, byte data, or the numbers, taken as the caller asks.
template <typename TakeNumbers>
bool ReadOutput(BoardOutput& out, TakeNumbers takeNumbers) {
    switch (out.Compact.read) {
        case OutputRead::Nothing:
            return false;
        case OutputRead::Bytes:
            TakeBytes(out);
            return true;
        default:
            takeNumbers();
            return true;
    }
}

}  // namespace

bool ReadBoardOutput(BoardOutput& out) {
    return ReadOutput(out,
                      [&out] { TakeValue(out, ReadElement(out.Compact, out.Compact.element)); });
}

bool ReadPanelOutput(BoardOutput& out) {
    return ReadOutput(out, [&out] { TakeValues(out, ReadValues(out.Compact)); });
}
