#include "fuzz_support.h"

#include <fstream>
#include <iterator>

#include "config/board_tables.h"
#include "config/parse_report.h"
#include "config/status_sink.h"
#include "custom/custom_refs.h"
#include "host/lifecycle.h"
#include "simdata/output_engine.h"
#include "simhost.h"
#include "transport/reply.h"
#include "ui/status_window.h"

namespace fuzz {

void FreshSimulator() {
    simhost::Reset();
    simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
    simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
}

void FreshPlugin() {
    // The plugin first, while the commands it still holds exist: a reset ends
    // them, and after the stand-in's reset a stale handle could name a new
    // command.
    ForgetConnectionsAndTables();
    FreshSimulator();
    // Not part of a reset: the outputs a board shows only add to these, and
    // the scratch buffers are overwritten before use; emptied here anyway so
    // that nothing of an earlier input is seen.
    CustomIndices.clear();
    output = OutputMessage{};
    bytes_sent = 0;
    SetParseObserver(nullptr);
    // The window's widgets are built once: the stand-in keeps every widget
    // record it ever made, so building them for every input would make each
    // input slower than the last. After the stand-in's reset their handles are
    // unknown to it and it ignores what is done with them, but the window's
    // own texts and bounds checks run as in the plugin.
    if (window.gMenuItem == 0) {
        CreateInstructionsWidget(400, 612, 410, 445);
        window.gMenuItem = 1;
    }
    BlankStatusLines();
    SetStatusLineSink(&WindowStatusLines());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace fuzz
