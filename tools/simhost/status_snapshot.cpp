#include "status_snapshot.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "XPStandardWidgets.h"
#include "simhost.h"

namespace kestrix_sim {
namespace {

struct Cell {
    int left = 0;
    std::string text;
};

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

intptr_t Property(const simhost::Widget& widget, int property) {
    auto found = widget.properties.find(property);
    return found != widget.properties.end() ? found->second : 0;
}

std::string CellText(const simhost::Widget& widget) {
    std::string text = Trimmed(widget.descriptor);
    if (text.empty() || widget.widgetClass != xpWidgetClass_Button) return text;
    if (Property(widget, xpProperty_ButtonBehavior) == xpButtonBehaviorPushButton)
        return "[" + text + "]";
    return (Property(widget, xpProperty_ButtonState) != 0 ? "[x] " : "[ ] ") + text;
}

// Collects the visible descendants with text into rows keyed by their top
// edge (simulator coordinates grow upwards, so the largest top is first).
void CollectRows(const simhost::Widget& parent, std::map<int, std::vector<Cell>>* rows) {
    for (XPWidgetID id : parent.children) {
        const simhost::Widget* child = simhost::FindWidget(id);
        if (child == nullptr || !child->visible) continue;
        std::string text = CellText(*child);
        if (!text.empty()) (*rows)[-child->top].push_back(Cell{child->left, text});
        CollectRows(*child, rows);
    }
}

std::string RowLine(std::vector<Cell> cells) {
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Cell& a, const Cell& b) { return a.left < b.left; });
    std::string line = "    ";
    for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? "  " : "") + cells[i].text;
    return line;
}

}  // namespace

std::vector<std::string> WindowSnapshot(XPWidgetID window, double now) {
    const simhost::Widget* widget = simhost::FindWidget(window);
    if (widget == nullptr) return {};
    char header[64];
    std::snprintf(header, sizeof header, "[%9.3f s] window \"", now);
    std::vector<std::string> lines;
    lines.push_back(header + widget->descriptor + "\" " +
                    (simhost::IsShown(window) ? "shown" : "hidden"));
    std::map<int, std::vector<Cell>> rows;
    CollectRows(*widget, &rows);
    for (auto& row : rows) lines.push_back(RowLine(std::move(row.second)));
    return lines;
}

std::vector<XPWidgetID> TopLevelWidgets() {
    std::vector<XPWidgetID> windows;
    for (XPWidgetID id : simhost::Widgets()) {
        const simhost::Widget* widget = simhost::FindWidget(id);
        if (widget != nullptr && widget->parent == nullptr) windows.push_back(id);
    }
    return windows;
}

}  // namespace kestrix_sim
