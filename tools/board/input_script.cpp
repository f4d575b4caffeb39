#include "input_script.h"

#include <fstream>

#include "virtual_board.h"

namespace vboard {

void InputScript::Step(long long nowMs, VirtualBoard& board) {
    if (board.phase() != BoardPhase::Running || board.queuedAnswers() > 0) return;
    while (!pending_.empty() && nowMs >= resumeAtMs_) {
        const InputCommand command = pending_.front();
        pending_.pop_front();
        if (command.kind == InputCommand::Kind::Wait) {
            resumeAtMs_ = nowMs + command.waitMs;
        } else {
            board.SendInput(command);
        }
    }
}

bool LoadInputScript(const std::string& path, InputScript* script, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        InputCommand command;
        std::string why;
        switch (ParseInputLine(line, &command, &why)) {
            case LineResult::Command:
                script->Add(command);
                break;
            case LineResult::Empty:
                break;
            case LineResult::Error:
                *error = path + " line " + std::to_string(number) + ": " + why;
                return false;
        }
    }
    return true;
}

bool LineReader::Next(std::string* line) {
    const std::size_t end = buffer_.find('\n');
    if (end == std::string::npos) return false;
    *line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    return true;
}

bool LineReader::Rest(std::string* line) {
    if (buffer_.empty()) return false;
    line->swap(buffer_);
    buffer_.clear();
    return true;
}

}  // namespace vboard
