#include "board_options.h"

#include <map>

#include "serial_transport.h"
#include "udp_transport.h"

namespace vboard {

namespace {

bool Fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits, optionally a point and at most fractionDigits digits, as an integer
// scaled by 10^fractionDigits; false for anything else or an overflow.
bool ParseDecimal(const std::string& text, int fractionDigits, long long limit, long long* out) {
    std::size_t at = 0;
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > limit) return false;
    }
    if (at == 0) return false;
    int fraction = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]) && fraction < fractionDigits; ++at) {
            value = value * 10 + (text[at] - '0');
            ++fraction;
        }
    }
    if (at != text.size()) return false;
    for (; fraction < fractionDigits; ++fraction) value *= 10;
    if (value > limit) return false;
    *out = value;
    return true;
}

bool ParsePort(const std::string& text, int* port) {
    long long value = 0;
    if (!ParseDecimal(text, 0, 65535, &value) || value == 0) return false;
    *port = static_cast<int>(value);
    return true;
}

const char* const kValueOptions[] = {"--udp",     "--port",  "--serial",  "--name",  "--number",
                                     "--version", "--panel", "--seconds", "--label", "--inputs"};

bool IsValueOption(const std::string& name) {
    for (const char* option : kValueOptions) {
        if (name == option) return true;
    }
    return false;
}

bool CollectValues(const std::vector<std::string>& args, std::map<std::string, std::string>* values,
                   std::string* error) {
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (!IsValueOption(name)) {
            *error = "unknown argument \"" + name + "\"";
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = name + " needs a value";
            return false;
        }
        if (!values->emplace(name, args[i + 1]).second) {
            *error = name + " given twice";
            return false;
        }
    }
    return true;
}

bool ApplyTransport(const std::map<std::string, std::string>& values, BoardOptions* options,
                    std::string* error) {
    bool udp = values.count("--udp") > 0;
    bool serial = values.count("--serial") > 0;
    if (udp == serial) {
        *error = "give either --udp ADDRESS or --serial DIR --name NAME";
        return false;
    }
    if (udp && values.count("--name")) return Fail(error, "--name belongs to --serial");
    if (serial && values.count("--port")) return Fail(error, "--port belongs to --udp");
    if (serial && !values.count("--name")) return Fail(error, "--serial needs --name NAME");
    options->serial = serial;
    in_addr address{};
    if (udp && !ParseBoardAddress(values.at("--udp"), &address, error)) return false;
    if (serial && !IsScannedSerialName(values.at("--name"))) {
        return Fail(error, "--name must be a name the plugin scans for, beginning with " +
                               ScannedSerialPrefixes());
    }
    if (udp) options->address = values.at("--udp");
    if (values.count("--port") && !ParsePort(values.at("--port"), &options->port)) {
        return Fail(error, "--port takes a number from 1 to 65535");
    }
    if (serial) {
        options->serialDir = values.at("--serial");
        options->serialName = values.at("--name");
    }
    return true;
}

bool ApplyIdentity(const std::map<std::string, std::string>& values, BoardOptions* options,
                   std::string* error) {
    bool numbered = values.count("--number") > 0;
    bool panel = values.count("--panel") > 0;
    if (numbered == panel) return Fail(error, "give either --number D or --panel FILE");
    if (panel && values.count("--version")) return Fail(error, "--version belongs to --number");
    options->selfConfiguring = panel;
    if (panel) {
        options->panelFile = values.at("--panel");
        return true;
    }
    const std::string& number = values.at("--number");
    if (number.size() != 1 || number[0] < '1' || number[0] > '9') {
        return Fail(error, "--number takes one digit from 1 to 9");
    }
    options->boardNumber = number[0] - '0';
    if (values.count("--version") &&
        !ParseVersionByte(values.at("--version"), &options->versionByte)) {
        return Fail(error, "--version takes a version from 0.01 to 2.55, such as 1.32");
    }
    // On a serial line the identification travels inside braces.
    if (options->serial && (options->versionByte == '{' || options->versionByte == '}')) {
        return Fail(error, "version 1.23 and 1.25 are brace bytes and cannot go over serial");
    }
    return true;
}

}  // namespace

bool ParseVersionByte(const std::string& text, uint8_t* versionByte) {
    long long value = 0;
    if (text.empty() || text[0] == '.' || !ParseDecimal(text, 2, 255, &value) || value == 0) {
        return false;
    }
    *versionByte = static_cast<uint8_t>(value);
    return true;
}

bool ParseSeconds(const std::string& text, long long* milliseconds) {
    static const long long kTenYears = 10LL * 366 * 24 * 3600 * 1000;
    return ParseDecimal(text, 3, kTenYears, milliseconds);
}

bool ParseBoardOptions(const std::vector<std::string>& args, BoardOptions* options,
                       std::string* error) {
    std::map<std::string, std::string> values;
    if (!CollectValues(args, &values, error) || !ApplyTransport(values, options, error) ||
        !ApplyIdentity(values, options, error)) {
        return false;
    }
    if (values.count("--seconds")) {
        long long ms = 0;
        if (!ParseSeconds(values.at("--seconds"), &ms)) {
            return Fail(error, "--seconds takes a number of seconds, such as 10 or 2.5");
        }
        options->runMilliseconds = ms;
    }
    if (values.count("--label")) options->label = values.at("--label");
    if (values.count("--inputs")) options->inputsFile = values.at("--inputs");
    return true;
}

std::string BoardUsage() {
    return "usage: kestrix-board (--udp 127.0.0.N [--port P] | --serial DIR --name NAME)\n"
           "                     (--number D [--version 1.32] | --panel FILE)\n"
           "                     [--inputs FILE] [--seconds S] [--label TEXT]\n"
           "  --udp 127.0.0.N   a LAN board on its own loopback address (N not 1)\n"
           "  --port P          the plugin's UDP port (default 5080)\n"
           "  --serial DIR      a USB board: a pseudo-terminal linked as DIR/NAME\n"
           "  --name NAME       the device name, e.g. tty.usbmodem2101 or cu.usbserial-10\n"
           "  --number D        a numbered board, number 1 to 9\n"
           "  --version V       its firmware library version (default 1.32)\n"
           "  --panel FILE      a self-configuring board sending the configuration in FILE\n"
           "  --inputs FILE     input events to send once the board runs, one a line:\n"
           "                    press D44, release D44, turn E7 +2, analog A2 512, wait 1.5\n"
           "  --seconds S       stop after S seconds (default: run until Ctrl-C)\n"
           "  --label TEXT      prefix log lines with [TEXT]\n"
           "  --help            this text\n"
           "Input events typed on standard input, in the words of --inputs, follow the\n"
           "script's (standard input is not read by a board running in the background).\n"
           "A USB board is found only where the plugin looks for serial devices: run\n"
           "kestrix-sim (or the simulator) with KESTRIX_SERIAL_DIR=DIR, the same DIR.\n";
}

std::string BoardLabel(const BoardOptions& options) {
    if (!options.label.empty()) return "[" + options.label + "]";
    std::string who = options.selfConfiguring ? std::string("panel")
                                              : "board #" + std::to_string(options.boardNumber);
    std::string where = options.serial ? "serial " + options.serialName : "udp " + options.address;
    return "[" + who + " " + where + "]";
}

}  // namespace vboard
