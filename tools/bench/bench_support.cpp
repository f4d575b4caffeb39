#include "bench_support.h"

#include <fstream>
#include <stdexcept>

#include "config/board_tables.h"
#include "config/load_config.h"
#include "simhost.h"

namespace bench {

void LoadSimulatorTables() {
    const std::string dir = KESTRIX_SIM_DATA_DIR;
    if (simhost::LoadDataRefTable(dir + "/DataRefs.txt") < 0 ||
        simhost::LoadCommandTable(dir + "/Commands.txt") < 0) {
        throw std::runtime_error("cannot read the stand-in's tables in " + dir);
    }
}

std::string FillTo(std::string text, std::size_t size,
                   const std::function<std::string(std::size_t)>& piece, const std::string& end) {
    for (std::size_t k = 0;; ++k) {
        const std::string next = piece(k) + end;
        if (text.size() + next.size() > size) return text;
        text += next;
    }
}

std::string ExampleBoardText(unsigned board) {
    std::ifstream file(std::string(KESTRIX_SOURCE_DIR) + "/examples/data.cfg");
    CutConfigSections(file);
    for (std::size_t k = 0; k < ArduinoID.size(); ++k) {
        if (ArduinoID[k] == board) return ArduinoConfigFile[k];
    }
    throw std::runtime_error("examples/data.cfg has no board " + std::to_string(board));
}

}  // namespace bench
