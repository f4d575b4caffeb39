// Paths as the plugin holds them, in the simulator's native form (UTF-8),
// turned into what the system's file calls take: on Windows the wide form,
// which reaches folders whose names the ANSI code page cannot hold (an
// aircraft folder "Piper Cub – Ü", a user name "Jürgen"); elsewhere the
// same bytes.
#pragma once

#include <filesystem>
#include <string>

inline std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::u8path(utf8);
}
