// Parser tests against the stand-in's tables of real simulator datarefs and
// commands: a name resolves only when the stand-in has it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"
#include "config/board_tables.h"
#include "config/parse_report.h"
#include "config/parser.h"
#include "config/status_sink.h"
#include "simhost.h"

// What the parser shows: the status lines by number, and how often it asked
// for the window.
class RecordedStatusLines : public StatusLineSink {
  public:
    void SetStatusLine(int n, const std::string& text) override { lines[n] = text; }
    void ShowStatusWindow() override { ++shown; }
    std::string Line(int n) const {
        auto found = lines.find(n);
        return found == lines.end() ? "" : found->second;
    }
    std::map<int, std::string> lines;
    int shown = 0;
};

class ParserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        simhost::LoadDataRefTable(std::string(KESTRIX_SIM_DATA_DIR) + "/DataRefs.txt");
        simhost::LoadCommandTable(std::string(KESTRIX_SIM_DATA_DIR) + "/Commands.txt");
        SetStatusLineSink(&status);
    }
    void TearDown() override {
        SetParseObserver(nullptr);
        SetStatusLineSink(nullptr);
    }

    // Parses text as board b, identified from source, and returns its record.
    const Board& Parse(const std::string& text, unsigned id = 1, std::size_t b = 0,
                       const MessageSource& source = MessageSource{}) {
        ReadConfigFile(text, b, id, source);
        return Boards.at(b);
    }
    std::string StatusLine(int n) const { return status.Line(n); }
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
    RecordedStatusLines status;
};

// The compact key of a numbered board's output: pin byte, kind letter.
inline std::string CompactKey(int pin, char kind) {
    return std::string(1, static_cast<char>(pin)) + kind;
}
