// The pin-mode table of the configuration upload.
#include <gtest/gtest.h>

#include "config/board_tables.h"
#include "protocol/upload.h"

namespace {

BoardInput Input(const std::string& key, const std::string& token0) {
    BoardInput input;
    input.Datatags = key;
    input.Data = {token0, "sim/none"};
    return input;
}

BoardOutput Output(uint8_t pin, char letter) {
    BoardOutput output;
    output.OutDrefs = {std::string{static_cast<char>(pin), letter}, "0", "sim/x", "1"};
    return output;
}

Board& NewBoard(unsigned index, unsigned id = 1) {
    BuildBoardRows(index, id);
    return Boards[index];
}

}  // namespace

TEST(PinModeTable, InputsOutputsAndTheBoardIndex) {
    NewBoard(0);
    NewBoard(1);
    NewBoard(2);
    Board& board = Boards[1];
    board.Inputs = {Input("D7", "D7"), Input("D12+", "D12+"), Input("D5/2-", "d5")};
    board.Outputs = {Output(9, 'S'),  Output(13, 'L'), Output(3, 'P'),  Output(4, 'G'),
                     Output(22, 'g'), Output(30, 'N'), Output(31, 'D'), Output(60, 'L')};
    PinModeTable table = BuildPinModeTable(1);
    EXPECT_EQ(table[7], 1);
    EXPECT_EQ(table[12], 1);
    EXPECT_EQ(table[5], 1);
    EXPECT_EQ(table[9], 12);
    EXPECT_EQ(table[13], 7);
    EXPECT_EQ(table[3], 8);
    EXPECT_EQ(table[4], 10);
    EXPECT_EQ(table[22], 9);
    EXPECT_EQ(table[30], 7);
    EXPECT_EQ(table[31], 0) << "D outputs give no role";
    for (int p = 54; p < 59; ++p) EXPECT_EQ(table[p], 0);
    EXPECT_EQ(table[59], 2);
    EXPECT_EQ(BuildPinModeTable(2)[59], 3);
}

TEST(PinModeTable, EncodersTakeTypeAndModeFromTheEncoderList) {
    Board& board = NewBoard(0);
    board.Inputs = {Input("E4/1+", "E4/1+"), Input("E8+", "e8+"), Input("E10-", "E10-"),
                    Input("E11", "E11")};
    board.EncoderAdditional = {4, 1, 2, /* type 4 or more */ 10, 5, 0, 11, 0, 3};
    PinModeTable table = BuildPinModeTable(0);
    EXPECT_EQ(table[4], 2 + 16 + 128);
    EXPECT_EQ(table[8], 3) << "second kind, no record";
    EXPECT_EQ(table[10], 2 + 12);
    EXPECT_EQ(table[11], static_cast<uint8_t>(2 + 0 + 64 * 3));
}

TEST(PinModeTable, MatrixAndCommonPinsWithLaterWritesWinning) {
    Board& board = NewBoard(0);
    board.MatrixAdditional = {22, 25, 30, 33, 100};
    board.StepperCommon = 40;
    board.LEDCommon = 41;
    board.SevenSegCommon = 42;
    board.OutputModeLed = {{std::string{static_cast<char>(44), 'L'}, "mode=1"},
                           {std::string{static_cast<char>(45), 'D'}, "x"}};
    board.Inputs = {Input("D23", "D23")};  // inputs come after the matrix
    PinModeTable table = BuildPinModeTable(0);
    EXPECT_EQ(table[22], 5);
    EXPECT_EQ(table[23], 1);
    EXPECT_EQ(table[25], 5);
    EXPECT_EQ(table[26], 0);
    for (int p = 30; p <= 33; ++p) EXPECT_EQ(table[p], 6);
    EXPECT_EQ(table[40], 11);
    EXPECT_EQ(table[41], 7);
    EXPECT_EQ(table[42], 13);
    EXPECT_EQ(table[44], 7);
    EXPECT_EQ(table[45], 0);
}

TEST(PinModeTable, PinsOutsideTheTableAndUnsetPinsWriteNothing) {
    Board& board = NewBoard(0);
    board.MatrixAdditional = {50, 200, 9, 3, 54};  // a range past the end, an empty range
    board.Inputs = {Input("D99", "D99"), Input("Dx", "Dx"), Input("D", "D"), Input("E", "E")};
    board.Outputs = {Output(200, 'L')};
    PinModeTable table = BuildPinModeTable(0);
    for (int p = 0; p < 50; ++p) EXPECT_EQ(table[p], 0) << p;
    for (int p = 50; p < 54; ++p) EXPECT_EQ(table[p], 5) << p;
    for (int p = 54; p < 59; ++p) EXPECT_EQ(table[p], 0) << p;
}
