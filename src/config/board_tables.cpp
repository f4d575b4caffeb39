#include "config/board_tables.h"

#include <stdexcept>

std::vector<Board> Boards;
std::vector<std::string> ArduinoConfigFile;
std::vector<unsigned> ArduinoID;
std::string defaultval = "0";

namespace {

Board FreshBoard(unsigned id) {
    Board board;
    board.OutDevice = id;
    board.AllowOutput = (id == 0);  // a self-configuring board may receive outputs at once
    board.MatrixAdditional.assign(kMatrixBytes, 100);
    board.AnalogAdditional.reserve(kAnalogBytes);
    for (std::size_t channel = 0; channel < kAnalogChannels; ++channel) {
        board.AnalogAdditional.insert(board.AnalogAdditional.end(), {0, 0, 100});
    }
    return board;
}

}  // namespace

bool BuildBoardRows(std::size_t b, unsigned id) {
    if (b < Boards.size()) {
        Board fresh = FreshBoard(id);
        fresh.UdpIP = Boards[b].UdpIP;
        fresh.SerialIndex = Boards[b].SerialIndex;
        fresh.StatusLineNumber = Boards[b].StatusLineNumber;
        Boards[b] = std::move(fresh);
        return false;
    }
    if (b != Boards.size()) throw std::out_of_range("board index skips a row");
    Boards.push_back(FreshBoard(id));
    return true;
}

void RenumberBoardsAfterPort(int closedIndex) {
    for (Board& board : Boards) {
        if (board.SerialIndex == closedIndex) {
            board.SerialIndex = kNoSerialPort;
        } else if (board.SerialIndex > closedIndex && board.SerialIndex != kNoSerialPort) {
            --board.SerialIndex;
        }
    }
}

void ClearBoardTables() {
    Boards.clear();
    ArduinoConfigFile.clear();
    ArduinoID.clear();
}
