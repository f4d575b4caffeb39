#include "base/settings_file.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "base/feature_level.h"
#include "base/paths.h"
#include "base/regular_file.h"
#include "base/settings.h"
#include "base/text.h"

namespace {

struct KeyValue {
    std::string key;
    std::string value;
};

std::string WithoutBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// Interprets one line as a key and a value; false for empty lines, comments
// and lines without "=".
bool ParseLine(std::string line, KeyValue& out) {
    if (line.empty() || line[0] == '#') return false;
    if (line.back() == '\r') line.pop_back();
    std::vector<std::string> pieces = SplitBy(line, '=');
    if (pieces.size() < 2) return false;
    out.key = WithoutBlanks(pieces[0]);
    out.value = WithoutBlanks(pieces[1]);
    return true;
}

// Booleans are the numbers 0 and 1 only.
void ReadBool(const std::string& value, bool& target) {
    int number = 0;
    if (!ReadNumber(value, number)) return;
    if (number == 0 || number == 1) target = (number == 1);
}

// A port outside 1..65535 would bind some other, wrapped-around port.
void ReadPort(const std::string& value, int& target) {
    int port = 0;
    if (ReadNumber(value, port) && port >= 1 && port <= 65535) target = port;
}

void ApplySetting(const KeyValue& kv) {
    if (kv.key == "IP_ADDRESS") {
        settings.SpecifiedIP = kv.value;
    } else if (kv.key == "PORT") {
        ReadPort(kv.value, settings.UDP_PORT);
    } else if (kv.key == "USB_BAUD") {
        ReadNumber(kv.value, settings.Baudrate);
    } else if (kv.key == "USB_DEVICE_COUNT") {
        ReadNumber(kv.value, settings.USBcountVar);
    } else if (kv.key == "SCANNING_TIMEOUT") {
        ReadNumber(kv.value, settings.ScanTimeout);
    } else if (kv.key == "USB_FIX") {
        ReadBool(kv.value, settings.USB_FIX);
    } else if (kv.key == "RESET_EVENTS") {
        ReadBool(kv.value, settings.RESET_EVENTS);
    } else if (kv.key == "LAN_SLOW_SCAN") {
        ReadBool(kv.value, settings.LAN_SLOW_SCAN);
    } else if (kv.key == "WINDOW_ON_CONNECT" && kFeatures.windowOnConnect) {
        ReadBool(kv.value, settings.WINDOW_ON_CONNECT);
    }
}

}  // namespace

void ReadSettings(std::istream& file) {
    std::string line;
    KeyValue kv;
    while (std::getline(file, line)) {
        if (ParseLine(line, kv)) ApplySetting(kv);
    }
}

bool ReadSettingsFile(const std::string& path) {
    std::string text;
    if (ReadPluginFile(path, kMostSmallFileBytes, &text) != FileRead::Done) return false;
    std::istringstream file(text);
    ReadSettings(file);
    return true;
}

namespace {

// Drops every line of config.ini that sets key and, when the box was cleared,
// appends "key = 0"; every other line is written back as it was. Without a
// config.ini nothing is written.
void RewriteCheckBoxKey(const std::string& key, bool checked) {
    const std::string path = InFolder(paths.foldername, "config.ini");
    std::string text;
    // No file: the change lasts until the next reset.
    if (ReadPluginFile(path, kMostSmallFileBytes, &text) != FileRead::Done) return;
    std::istringstream file(text);
    std::string kept, line;
    KeyValue kv;
    while (std::getline(file, line)) {
        if (ParseLine(line, kv) && kv.key == key) continue;
        kept += line + '\n';
    }
    // Checked is the default and needs no line.
    if (!checked) kept += key + " = 0\n";
    RewriteRegularFile(path, kept);
}

}  // namespace

void RewriteWindowOnConnect(bool state) {
    settings.WINDOW_ON_CONNECT = state;
    RewriteCheckBoxKey("WINDOW_ON_CONNECT", state);
}

void RewriteUsbDeviceCount(bool enabled) {
    settings.USBcountVar = enabled ? Settings{}.USBcountVar : 0;
    RewriteCheckBoxKey("USB_DEVICE_COUNT", enabled);
}
