// Text helpers shared by the settings file, the data.cfg parser and the
// protocol. Numbers are read independent of the process locale: the
// simulator or another plugin may have set one with a decimal comma.
#pragma once

#include <locale>
#include <sstream>
#include <string>
#include <vector>

// The maximal runs of characters that are not sep; with a space separator a
// tab separates too. No token is empty.
std::vector<std::string> SplitBy(const std::string& s, char sep);

// Strips spaces, tabs, line feeds and carriage returns at both ends.
std::string Trim(const std::string& s);

// Formatted stream extraction of one number from the start of text (leading
// white space skipped, reading stops at the first character that cannot
// continue the number). On success the value goes into target and true is
// returned; otherwise target keeps its value.
template <typename T>
bool ReadNumber(const std::string& text, T& target) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    T value{};
    if (!(stream >> value)) return false;
    target = value;
    return true;
}

// Like ReadNumber, but a text that holds no number reads as 0.
template <typename T>
T NumberOrZero(const std::string& text) {
    T value{};
    ReadNumber(text, value);
    return value;
}

// The C library's atof and atoi, in the "C" locale whatever the process's.
double Atof(const std::string& text);
int Atoi(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWith(const std::string& text, const std::string& suffix);
