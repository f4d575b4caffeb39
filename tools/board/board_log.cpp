#include "board_log.h"

#include "virtual_board.h"
#include "wire.h"

namespace vboard {

namespace {
constexpr std::size_t kOneLineBytes = 16;
}

std::string DescribeIdentity(const BoardIdentity& identity) {
    if (identity.selfConfiguring) {
        return "self-configuring board, " + std::to_string(identity.configText.size()) +
               " bytes of configuration";
    }
    return "numbered board #" + std::to_string(identity.boardNumber) + ", library " +
           VersionText(identity.versionByte);
}

std::vector<std::string> MessageLines(const std::string& arrow, const std::string& bytes,
                                      const std::string& description) {
    if (bytes.size() <= kOneLineBytes) {
        return {arrow + " " + HexBytes(bytes) + " " + PrintableBytes(bytes) + "  " + description};
    }
    std::vector<std::string> lines = {arrow + " " + description + " (" +
                                      std::to_string(bytes.size()) + " bytes)"};
    for (const std::string& row : HexDumpRows(bytes)) lines.push_back("     " + row);
    return lines;
}

}  // namespace vboard
