#include "simdata/write_to_xplane.h"

#include "XPLMUtilities.h"
#include "config/board_tables.h"
#include "simdata/dataref_access.h"
#include "simdata/input_arithmetic.h"
#include "simdata/input_monitor.h"
#include "simdata/value_memory.h"

namespace {

// A value that came with the message: analog ("A") and "R" readings are
// thousandths mapped onto the input's range, any other kind is written as
// sent. A value that is not a number writes nothing.
void WriteSentValue(unsigned b, unsigned i, int element, const BoardInput& in,
                    const InputEvent& event) {
    float v = 0;
    if (!ReadEventNumber(event.value, &v)) return;
    const char kind = KindOf(event);
    if (kind == 'A' || kind == 'R') v = AnalogValue(v, in.InputDefault, in.InputDataRange);
    WriteDataref(b, i, static_cast<unsigned>(element), v);
}

void WriteStep(unsigned b, unsigned i, int element, unsigned count, const BoardInput& in,
               const InputEvent& event) {
    const unsigned e = static_cast<unsigned>(element);
    float stepSize = in.InputDefault;
    if (event.hasValue) stepSize *= static_cast<float>(count);
    float next = 0;
    if (StepValue(ReadDataref(b, i, e), in.InputIncrementDir, stepSize, in.InputDataRange, &next)) {
        WriteDataref(b, i, e, next);
    }
}

}  // namespace

void WriteToXPlane(unsigned board, unsigned input, int element, unsigned count,
                   const InputEvent& event) {
    if (board >= Boards.size() || input >= Boards[board].Inputs.size()) return;
    const BoardInput& in = Boards[board].Inputs[input];
    if (element == 0) {
        XPLMCommandRef command = static_cast<XPLMCommandRef>(in.InputDataPointer);
        MonitorNoteCommand(in, "once", count);
        for (unsigned k = 0; k < count; ++k) XPLMCommandOnce(command);
        return;
    }
    const char kind = KindOf(event);
    if (event.hasValue && kind != 'E') {
        WriteSentValue(board, input, element, in, event);
    } else if (in.InputIncrementDir == 0) {
        if (kind == 'M') {
            MonitorNoteSaved(in);
            SaveDataref(board, input, static_cast<unsigned>(element));
        } else if (kind == 'P') {
            RestoreDataref(board, input, static_cast<unsigned>(element));
        } else {
            WriteDataref(board, input, static_cast<unsigned>(element), in.InputDefault);
        }
    } else {
        WriteStep(board, input, element, count, in, event);
    }
}
