// Text helpers shared by the settings file, the data.cfg parser and the
// protocol. Numbers are read independent of the process locale: the
// simulator or another plugin may have set one with a decimal comma.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The maximal runs of characters that are not sep; with a space separator a
// tab separates too. No token is empty.
std::vector<std::string> SplitBy(const std::string& s, char sep);

// Strips spaces, tabs, line feeds and carriage returns at both ends.
std::string Trim(const std::string& s);

// Reads one number from the start of text as formatted stream extraction in
// the "C" locale does: leading white space is skipped, a "+" or "-" may come
// first (a "-" wraps around for unsigned types, as the stream's does), and
// reading stops at the first character that cannot continue the number.
// No number at all, or one outside the type's range, fails. On success the
// value goes into target and true is returned; otherwise target keeps its
// value. It builds no stream and allocates nothing: the parser reads every
// token with it.
bool ReadNumber(std::string_view text, int& target);
bool ReadNumber(std::string_view text, unsigned& target);
bool ReadNumber(std::string_view text, long& target);
bool ReadNumber(std::string_view text, unsigned long& target);
bool ReadNumber(std::string_view text, long long& target);
bool ReadNumber(std::string_view text, unsigned long long& target);
bool ReadNumber(std::string_view text, float& target);
bool ReadNumber(std::string_view text, double& target);

// Like ReadNumber, but a text that holds no number reads as 0.
template <typename T>
T NumberOrZero(std::string_view text) {
    T value{};
    ReadNumber(text, value);
    return value;
}

// The C library's atof and atoi, in the "C" locale whatever the process's.
double Atof(const std::string& text);

// The C library's strtod in the "C" locale, whatever the process's: text
// must be terminated; *stop receives where the number ended.
double StrtodC(const char* text, char** stop);
int Atoi(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWith(const std::string& text, const std::string& suffix);

// text with every byte that is not printable ASCII (a carriage return, a
// pin byte) written as \xNN, so that a log line shows what the file holds.
std::string PrintableText(const std::string& text);
