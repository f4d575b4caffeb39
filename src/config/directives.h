// Section A of a board text: board-wide directives, one per line.
#pragma once

#include <string>
#include <vector>

#include "config/parse_context.h"

// Applies one section A line, already split into tokens.
void ReadDirective(ParseContext& parse, const std::vector<std::string>& tokens);
