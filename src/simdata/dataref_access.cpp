#include "simdata/dataref_access.h"

#include <climits>
#include <cmath>

#include "config/board_tables.h"
#include "simdata/input_monitor.h"

namespace {

const BoardInput* InputAt(unsigned board, unsigned input) {
    if (board >= Boards.size() || input >= Boards[board].Inputs.size()) return nullptr;
    return &Boards[board].Inputs[input];
}

int Offset(int element) {
    return element - 1;
}

}  // namespace

int TruncateToInt(float value) {
    if (std::isnan(value)) return 0;
    // 2^31 is exact as a float; every float below it truncates into range.
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

float ReadTyped(XPLMDataRef ref, int types, int element) {
    if (types & xplmType_Int) {
        ReadI[0] = XPLMGetDatai(ref);
        return static_cast<float>(ReadI[0]);
    }
    if (types & xplmType_Float) {
        ReadF[0] = XPLMGetDataf(ref);
        return ReadF[0];
    }
    if ((types & (xplmType_FloatArray | xplmType_IntArray)) && element < 1) return 0;
    if (types & xplmType_FloatArray) {
        ReadF[0] = 0;
        XPLMGetDatavf(ref, ReadF, Offset(element), 1);
        return ReadF[0];
    }
    if (types & xplmType_IntArray) {
        ReadI[0] = 0;
        XPLMGetDatavi(ref, ReadI, Offset(element), 1);
        return static_cast<float>(ReadI[0]);
    }
    if (types & xplmType_Double) {
        ReadD[0] = XPLMGetDatad(ref);
        return static_cast<float>(ReadD[0]);
    }
    return 0;
}

void WriteTyped(XPLMDataRef ref, int types, int element, float value) {
    if ((types & (xplmType_FloatArray | xplmType_IntArray)) && element < 1) return;
    if (types & xplmType_FloatArray) {
        ReadF[0] = value;
        XPLMSetDatavf(ref, ReadF, Offset(element), 1);
    } else if (types & xplmType_IntArray) {
        ReadI[0] = TruncateToInt(value);
        XPLMSetDatavi(ref, ReadI, Offset(element), 1);
    } else if (types & xplmType_Float) {
        ReadF[0] = value;
        XPLMSetDataf(ref, value);
    } else if (types & xplmType_Int) {
        ReadI[0] = TruncateToInt(value);
        XPLMSetDatai(ref, ReadI[0]);
    } else if (types & xplmType_Double) {
        ReadD[0] = value;
        XPLMSetDatad(ref, ReadD[0]);
    }
}

float ReadDataref(unsigned board, unsigned input, unsigned element) {
    const BoardInput* in = InputAt(board, input);
    if (in == nullptr) return 0;
    return ReadTyped(in->InputDataPointer, in->InputDrefTypes, static_cast<int>(element));
}

void WriteDataref(unsigned board, unsigned input, unsigned element, float value) {
    const BoardInput* in = InputAt(board, input);
    if (in == nullptr) return;
    MonitorNoteWrite(*in, element, value);
    WriteTyped(in->InputDataPointer, in->InputDrefTypes, static_cast<int>(element), value);
}
