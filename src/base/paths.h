// File paths in the system's own form: the plugin folder, config.ini,
// data.cfg and the memory files are joined with the separator the simulator
// itself reports paths with ("\" and a drive letter on Windows).
#pragma once

#include <string>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// folder + separator + name; folder has no trailing separator.
inline std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}
