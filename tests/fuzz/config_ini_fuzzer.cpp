// Fuzz target: a config.ini text through the settings reader, and the check
// box's rewrite of it on a file in a temporary plugin folder.
//
// The rewrite must keep what the file means: reading the rewritten file
// from the defaults gives the settings that reading the original gives, with
// WINDOW_ON_CONNECT as the box now says. A difference aborts, so it counts as
// a finding. The last input byte says whether the box is checked.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "base/settings.h"
#include "base/settings_file.h"

namespace {

std::string folder;

void RemoveFolder() {
    std::remove((folder + "/config.ini").c_str());
    rmdir(folder.c_str());
}

bool SameSettings(const Settings& a, const Settings& b) {
    return a.UDP_PORT == b.UDP_PORT && a.SpecifiedIP == b.SpecifiedIP && a.Baudrate == b.Baudrate &&
           a.USBcountVar == b.USBcountVar && a.ScanTimeout == b.ScanTimeout &&
           a.USB_FIX == b.USB_FIX && a.RESET_EVENTS == b.RESET_EVENTS &&
           a.WINDOW_ON_CONNECT == b.WINDOW_ON_CONNECT;
}

Settings ReadFromDefaults(const std::string& text) {
    settings = Settings{};
    std::istringstream in(text);
    ReadSettings(in);
    return settings;
}

// The folder is made in memory where the machine offers it: every input
// truncates and rewrites the file, which on a disk file system writes
// through to the disk.
bool MakeFolder(const std::string& parent) {
    std::string pattern = parent + "/kestrix-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return false;
    folder = pattern;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    if (!MakeFolder("/dev/shm") && !MakeFolder(tmp && *tmp ? tmp : "/tmp")) {
        std::perror("config.ini fuzzer: mkdtemp");
        std::abort();
    }
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool checked = size > 0 && (data[size - 1] & 1) != 0;

    Settings expected = ReadFromDefaults(text);
    expected.WINDOW_ON_CONNECT = checked;

    const std::string path = folder + "/config.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    settings = Settings{};
    paths.foldername = folder;
    RewriteWindowOnConnect(checked);
    if (settings.WINDOW_ON_CONNECT != checked) std::abort();

    settings = Settings{};
    if (!ReadSettingsFile(path) || !SameSettings(settings, expected)) std::abort();
    return 0;
}
