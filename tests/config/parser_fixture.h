// Parser tests against the stand-in's tables of real simulator datarefs and
// commands: a name resolves only when the stand-in has it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"
#include "config/board_tables.h"
#include "config/parse_report.h"
#include "config/parser.h"
#include "simhost.h"

class ParserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
        simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
    }
    void TearDown() override { SetParseObserver(nullptr); }

    // Parses text as board b and returns its record.
    const Board& Parse(const std::string& text, unsigned id = 1, std::size_t b = 0) {
        ReadConfigFile(text, b, id);
        return Boards.at(b);
    }
    const BoardInput& Input(std::size_t i, std::size_t b = 0) { return Boards.at(b).Inputs.at(i); }
    const BoardOutput& Output(std::size_t j, std::size_t b = 0) {
        return Boards.at(b).Outputs.at(j);
    }
    std::vector<std::string> Keys(std::size_t b = 0) {
        std::vector<std::string> keys;
        for (const BoardInput& in : Boards.at(b).Inputs) keys.push_back(in.Datatags);
        return keys;
    }
    // Collects what the parser reports.
    void ObserveNotes() {
        SetParseObserver([this](const ParseNote& note) { notes.push_back(note); });
    }

    std::vector<ParseNote> notes;
};

// The compact key of a numbered board's output: pin byte, kind letter.
inline std::string CompactKey(int pin, char kind) {
    return std::string(1, static_cast<char>(pin)) + kind;
}
