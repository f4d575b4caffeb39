#include "check_report.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>

#include "XPLMDataAccess.h"
#include "base/text.h"

namespace kestrix_check {

namespace {

// A numbered board's output key is its pin byte and kind letter.
std::string OutputKey(const std::string& key, unsigned id) {
    if (id == 0 || key.size() != 2) return Printable(key);
    return std::to_string(static_cast<unsigned char>(key[0])) + key[1];
}

std::string TypeName(int mask) {
    static const std::pair<int, const char*> kNames[] = {
        {xplmType_Int, "int"},        {xplmType_Float, "float"},
        {xplmType_Double, "double"},  {xplmType_FloatArray, "float[]"},
        {xplmType_IntArray, "int[]"}, {xplmType_Data, "byte[]"}};
    std::string names;
    for (const auto& [bit, name] : kNames) {
        if (!(mask & bit)) continue;
        if (!names.empty()) names += "/";
        names += name;
    }
    return names.empty() ? "no type" : names;
}

std::string Numbers(const std::vector<float>& values) {
    std::ostringstream out;
    for (std::size_t k = 0; k < values.size(); ++k) out << (k ? "," : "") << values[k];
    return out.str();
}

std::string Hold(int contval) {
    if (contval == 1) return ", held while pressed";
    if (contval == 2) return ", repeats while held";
    return "";
}

bool IsArray(int mask) {
    return (mask & (xplmType_FloatArray | xplmType_IntArray | xplmType_Data)) != 0;
}

// The dataref's type, or that it was not checked; its element when that
// matters (an array, or an element other than the first written).
std::string DatarefNote(const std::string& name, int mask, int element,
                        const std::set<std::string>& unchecked) {
    std::string text = unchecked.count(name) ? " (name not checked)" : " (" + TypeName(mask) + ")";
    if (IsArray(mask) || element != 1) text += ", element " + std::to_string(element);
    return text;
}

// An analog reading comes in thousandths and is mapped onto the range.
std::string AnalogValue(const BoardInput& in) {
    std::ostringstream out;
    out << "reading 0 to 1000 ";
    if (in.InputDefault == 2.0f) out << "squared, ";
    if (in.InputDataRange.size() >= 2) {
        out << "mapped onto " << in.InputDataRange[0] << " to " << in.InputDataRange[1];
    } else {
        out << "written as 0 to 1";
    }
    return out.str();
}

std::string DatarefValue(const BoardInput& in) {
    std::ostringstream out;
    if (!in.Datatags.empty() && in.Datatags[0] == 'A' && in.InputIncrementDir == 0) {
        out << AnalogValue(in);
    } else if (in.InputIncrementDir != 0) {
        out << "step " << (in.InputIncrementDir > 0 ? "+" : "-") << in.InputDefault;
        if (in.InputDataRange.size() == 1) out << ", limit " << in.InputDataRange[0];
        if (in.InputDataRange.size() >= 2) out << ", wraps in " << Numbers(in.InputDataRange);
    } else if (in.InputDataRange.empty()) {
        out << "writes " << in.InputDefault;
    } else {
        out << "values " << Numbers(in.InputDataRange);
        if (in.InputDefault == 2.0f) out << ", squared";
    }
    if (!in.InputSkip.empty()) out << ", encoder skip " << in.InputSkip[0];
    return out.str();
}

void PrintInput(std::ostream& out, std::size_t i, const BoardInput& in,
                const std::set<std::string>& unchecked) {
    out << std::right << std::setw(6) << i << "  " << std::left << std::setw(8)
        << Printable(in.Datatags) << std::right << "  ";
    const std::string& name = in.Data.size() > 1 ? in.Data[1] : std::string();
    if (in.InputArrayNum < 0) {
        out << "local link " << Printable(name);
    } else if (in.InputArrayNum == 0) {
        out << "command " << name << (unchecked.count(name) ? " (name not checked)" : "");
    } else {
        out << "dataref " << name
            << DatarefNote(name, in.InputDrefTypes, in.InputArrayNum, unchecked) << ", "
            << DatarefValue(in);
    }
    if (in.Mode > 10) out << ", switch group of " << in.Mode / 10;
    out << Hold(in.Contval) << "\n";
}

const char* KindName(char kind) {
    switch (kind) {
        case 'L':
            return "LED";
        case 'l':
            return "LED port";
        case 'N':
            return "7-segment";
        case 'G':
        case 'g':
            return "stepper";
        case 'S':
            return "servo";
        case 'P':
            return "PWM";
        default:
            return "value";
    }
}

// What the precision does to the text sent: digits after the point, whole
// numbers, whole numbers with their last digits as 0, or bytes of text.
std::string PrecisionWords(int precision, int mask) {
    if (mask & xplmType_Data) {
        return "up to " + std::to_string(std::max(precision, 0)) + " bytes of text";
    }
    if (precision >= 1) return std::to_string(precision) + " digits after the point";
    if (precision == 0) return "whole numbers with their point (12.)";
    if (precision == -1) return "whole numbers";
    const long long zeros = -static_cast<long long>(precision) - 1;
    if (zeros == 1) return "whole numbers, the last digit shown as 0";
    return "whole numbers, the last " + std::to_string(zeros) + " digits shown as 0";
}

void PrintOutput(std::ostream& out, std::size_t j, const BoardOutput& output, unsigned id,
                 const std::set<std::string>& unchecked) {
    const std::vector<std::string>& t = output.OutDrefs;
    const std::string name =
        !t[2].empty() && t[2].back() == '\r' ? t[2].substr(0, t[2].size() - 1) : t[2];
    out << std::right << std::setw(6) << j << "  " << std::left << std::setw(5)
        << OutputKey(t[0], id) << std::setw(10) << KindName(t[0].back()) << std::right
        << Printable(t[2]);
    if (!output.Drefread) {
        out << " NOT FOUND";
    } else if (id == 0) {
        out << DatarefNote(name, output.Type, 1, unchecked) << ", first " << output.Arraynum
            << (output.Arraynum == 1 ? " element" : " elements");
    } else {
        out << DatarefNote(name, output.Type, output.Arraynum, unchecked);
    }
    // The file's figure; a numbered board counts 0 and below one lower.
    out << ", precision " << Printable(t[1]) << ": "
        << PrecisionWords(output.Precision, output.Type);
    if (!output.OutRange1.empty()) {
        out << ", maps " << Numbers(output.OutRange1) << " to " << Numbers(output.OutRange2);
    }
    if (!output.OutputActive) out << ", off until selected";
    out << "\n";
}

// The first settings byte of an analog channel tells how its key was
// written; the second and third are the line's settings after the element.
std::string AnalogFirstByte(unsigned first) {
    if (first == 101) return "101 a plain input";
    if (first == 1) return "1 a key with + or -";
    if (first >= 128) return std::to_string(first) + " a key with /" + std::to_string(first - 127);
    return std::to_string(first) + " the first setting on the line";
}

void PrintSettings(std::ostream& out, const Board& board) {
    auto pin = [&](const char* what, unsigned value) {
        if (value != 100) out << "    " << what << " pin " << value << "\n";
    };
    pin("stepper direction", board.StepperCommon);
    pin("7-segment common", board.SevenSegCommon);
    pin("LED port", board.LEDCommon);
    if (board.MatrixAdditional != ByteList(kMatrixBytes, 100)) {
        out << "    button matrix";
        for (uint8_t b : board.MatrixAdditional) out << " " << unsigned(b);
        out << "\n";
    }
    const ByteList& e = board.EncoderAdditional;
    for (std::size_t k = 0; k + 2 < e.size(); k += 3) {
        out << "    encoder pin " << unsigned(e[k]) << ": type " << unsigned(e[k + 1]) << ", mode "
            << unsigned(e[k + 2]) << "\n";
    }
    for (std::size_t c = 0; c < kAnalogChannels && 3 * c + 2 < board.AnalogAdditional.size(); ++c) {
        const uint8_t* a = &board.AnalogAdditional[3 * c];
        if (a[0] == 0 && a[1] == 0 && a[2] == 100) continue;
        out << "    analog channel " << c << ": bytes " << unsigned(a[0]) << " " << unsigned(a[1])
            << " " << unsigned(a[2]) << " (" << AnalogFirstByte(a[0])
            << "; then the second and third settings, 0 and 100 unless the line gives them)\n";
    }
    if (!board.LedPortData.empty()) {
        out << "    LED port: " << board.LedPortData.size() << " bytes, LEDs 1 to "
            << 8 * board.LedPortData.size() << "\n";
    }
}

}  // namespace

std::string Printable(const std::string& text) {
    return PrintableText(text);
}

bool IsProblem(const ParseNote& note) {
    return note.kind != NoteKind::Disabled;
}

std::size_t FileLine(const SectionLines& section, std::size_t n) {
    if (n == 0 || n > section.stored.size()) return 0;
    return section.stored[n - 1];
}

void PrintBoard(std::ostream& out, const Board& board, unsigned id,
                const std::set<std::string>& unchecked) {
    out << "  inputs: " << board.Inputs.size() << "\n";
    for (std::size_t i = 0; i < board.Inputs.size(); ++i) {
        PrintInput(out, i, board.Inputs[i], unchecked);
    }
    out << "  outputs: " << board.Outputs.size() << "\n";
    for (std::size_t j = 0; j < board.Outputs.size(); ++j) {
        PrintOutput(out, j, board.Outputs[j], id, unchecked);
    }
    if (!board.OutputModeLed.empty()) out << "  mode lines: " << board.OutputModeLed.size() << "\n";
    for (const std::vector<std::string>& line : board.OutputModeLed) {
        out << "        " << std::left << std::setw(5) << OutputKey(line[0], id) << std::right
            << Printable(line[1]) << "\n";
    }
    std::ostringstream settings;
    PrintSettings(settings, board);
    if (!settings.str().empty()) out << "  settings:\n" << settings.str();
}

void PrintNotes(std::ostream& out, std::vector<FileNote> notes) {
    std::stable_sort(notes.begin(), notes.end(),
                     [](const FileNote& a, const FileNote& b) { return a.line < b.line; });
    for (const FileNote& n : notes) {
        out << "  " << NoteHeading(n.line, n.note) << "\n";
        if (!n.note.text.empty()) out << "      " << Printable(n.note.text) << "\n";
    }
}

}  // namespace kestrix_check
