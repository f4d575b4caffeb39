// Reads the simulator's DataRefs.txt format into simulator-owned datarefs.
//
// Each line: name, type, writable (y/n), units, description, separated by
// tabs (the simulator's own file ends lines with a tab and leaves units and
// description out on some). The file's first line is a header and its second
// is blank; neither parses as an entry, so they are skipped like any other
// line that is not one.
#include <optional>
#include <string_view>

#include "dataref_store.h"
#include "simhost.h"
#include "table_text.h"

namespace simhost {
namespace {

struct TableType {
    XPLMDataTypeID types = 0;
    int arraySize = 0;
};

// Larger arrays than this are taken for a damaged line, not allocated.
constexpr int kMaxArrayElements = 1 << 22;

// "[16][12]" -> 192 (the SDK offers multi-dimensional arrays flat); "[]" ->
// 0, meaning unsized. Nullopt when malformed or too large.
std::optional<int> ParseDimensions(std::string_view text) {
    if (text == "[]") return 0;
    long long total = 1;
    while (!text.empty()) {
        size_t close = text.find(']');
        if (text.front() != '[' || close == std::string_view::npos) return std::nullopt;
        int dimension = detail::ParsePositive(text.substr(1, close - 1), kMaxArrayElements);
        if (dimension == 0) return std::nullopt;
        total *= dimension;
        if (total > kMaxArrayElements) return std::nullopt;
        text.remove_prefix(close + 1);
    }
    return static_cast<int>(total);
}

std::optional<TableType> ParseType(std::string_view text) {
    if (text == "int") return TableType{xplmType_Int, 0};
    if (text == "float") return TableType{xplmType_Float, 0};
    // The simulator's double datarefs also answer float reads.
    if (text == "double") return TableType{xplmType_Float | xplmType_Double, 0};
    size_t bracket = text.find('[');
    if (bracket == std::string_view::npos) return std::nullopt;
    std::string_view base = text.substr(0, bracket);
    std::optional<int> size = ParseDimensions(text.substr(bracket));
    if (!size) return std::nullopt;
    if (base == "byte") return TableType{xplmType_Data, *size};
    if (*size == 0) return std::nullopt;  // only byte data may be unsized
    if (base == "float") return TableType{xplmType_FloatArray, *size};
    if (base == "int") return TableType{xplmType_IntArray, *size};
    return std::nullopt;
}

bool IsDataRefName(std::string_view name) {
    return !name.empty() && name.find_first_of(" \r\n") == std::string_view::npos;
}

// Adds the dataref one line describes; false when the line is not an entry.
bool AddTableLine(std::string_view line) {
    std::vector<std::string_view> fields = detail::SplitTabs(line);
    if (fields.size() < 3) return false;
    std::string_view name = detail::TrimBlanks(fields[0]);
    std::optional<TableType> type = ParseType(detail::TrimBlanks(fields[1]));
    std::string_view writable = detail::TrimBlanks(fields[2]);
    if (!IsDataRefName(name) || !type || (writable != "y" && writable != "n")) return false;
    AddDataRef(std::string(name), type->types, writable == "y", type->arraySize);
    return true;
}

}  // namespace

int LoadDataRefTable(const std::string& path) {
    return detail::LoadTableLines(path, AddTableLine);
}

int AddDataRefTableText(std::string_view text) {
    return detail::AddTableLines(text, AddTableLine);
}

}  // namespace simhost
