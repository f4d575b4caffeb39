// What a user would read in the plugin's windows, as lines of text.
#pragma once

#include <string>
#include <vector>

#include "XPWidgetDefs.h"

namespace kestrix_sim {

// One line for the window (time, descriptor, shown or hidden), then one
// indented line per row of its visible children with text, top to bottom,
// the texts of a row left to right. Push buttons read "[Text]", check boxes
// "[x] Text" or "[ ] Text".
std::vector<std::string> WindowSnapshot(XPWidgetID window, double now);

// Every window: each live widget without a parent.
std::vector<XPWidgetID> TopLevelWidgets();

}  // namespace kestrix_sim
