#include "sim_actions.h"

#include <cstdio>

#include "sim_events.h"
#include "sim_say.h"

namespace kestrix_sim {

namespace {

// Shortest text that gives the value back in the type it was written in
// (a float written as 0.512 reads 0.512, not its double expansion), in the
// "C" locale kestrix-sim runs in.
std::string Number(double value, bool asFloat) {
    char text[32];
    for (int digits = 6; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        double back = 0;
        if (std::sscanf(text, "%lf", &back) != 1) break;
        if (asFloat ? static_cast<float>(back) == static_cast<float>(value) : back == value) break;
    }
    return text;
}

}  // namespace

std::string DescribeWrite(const simhost::DataRefWrite& write) {
    std::string text = "dataref " + write.name;
    // Elements counted from 1, as data.cfg and --set count them.
    if (write.offset >= 0) text += "[" + std::to_string(write.offset + 1) + "]";
    if (write.type == xplmType_Data) {
        return text + " = \"" + write.bytes.substr(0, write.bytes.find('\0')) + "\"";
    }
    text += " =";
    const bool asFloat = write.type == xplmType_Float || write.type == xplmType_FloatArray;
    for (std::size_t k = 0; k < write.values.size(); ++k) {
        text += (k == 0 ? " " : ", ") + Number(write.values[k], asFloat);
    }
    return text;
}

std::string DescribeCommand(const std::string& name, simhost::CommandCall call) {
    switch (call) {
        case simhost::CommandCall::Once:
            return "command " + name;
        case simhost::CommandCall::Begin:
            return "command " + name + " begin (held)";
        case simhost::CommandCall::End:
            return "command " + name + " end (released)";
    }
    return "command " + name;
}

ActionPrinter::ActionPrinter() {
    simhost::SetDataRefWriteObserver(
        [this](const simhost::DataRefWrite& write) { Print(DescribeWrite(write)); });
    simhost::SetCommandObserver([this](const std::string& name, simhost::CommandCall call) {
        Print(DescribeCommand(name, call));
    });
}

ActionPrinter::~ActionPrinter() {
    simhost::SetDataRefWriteObserver(nullptr);
    simhost::SetCommandObserver(nullptr);
    FlushRepeats();
}

void ActionPrinter::Print(const std::string& text) {
    if (text == last_) {
        ++repeats_;
        return;
    }
    FlushRepeats();
    Say("%s%s\n", TimeStamp(simhost::Now()).c_str(), text.c_str());
    last_ = text;
}

void ActionPrinter::FlushRepeats() {
    if (repeats_ == 0) return;
    Say("%s   (the same %zu more time%s)\n", TimeStamp(simhost::Now()).c_str(), repeats_,
        repeats_ == 1 ? "" : "s");
    repeats_ = 0;
}

}  // namespace kestrix_sim
