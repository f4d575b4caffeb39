// The files the plugin reads and writes (config.ini, data.cfg, the value
// memory files) and those kestrix-check reads: only a regular file is read
// or written. A FIFO would make the open or the read wait for another
// program, a link to /dev/zero would never end, a directory reads as
// nothing; anything but a regular file counts as a file that cannot be
// read, and so does one larger than a limit that no real file comes near.
// Nothing here waits.
#pragma once

#include <cstddef>
#include <string>

// config.ini and the memory files hold a few hundred bytes.
inline constexpr std::size_t kMostSmallFileBytes = std::size_t{1} << 20;
// data.cfg, DataRefs.txt and Commands.txt: a few hundred kilobytes at most.
inline constexpr std::size_t kMostTableFileBytes = std::size_t{16} << 20;

enum class FileRead { Done, Missing, Refused };

// The whole of the regular file at path (UTF-8) into *text, if it holds at
// most limit bytes. Anything else leaves *text empty; *reason (if given)
// then says why, in words that follow "cannot read <path>: ".
FileRead ReadRegularFile(const std::string& path, std::size_t limit, std::string* text,
                         std::string* reason = nullptr);

// ReadRegularFile for the plugin: a file that is there but refused is
// logged once (until a reconnect): "<path> cannot be read: <reason>". A
// missing file is not logged.
FileRead ReadPluginFile(const std::string& path, std::size_t limit, std::string* text);

// Writes text over the regular file at path, which stays the same file
// (its links and permissions kept); creates nothing. False for anything
// but a regular file, or when the write fails.
bool RewriteRegularFile(const std::string& path, const std::string& text);

// Replaces the file at path by one holding text: written beside it under
// path + ".tmp", a name of the plugin's own whatever stood there, then
// renamed over it, so that a failed write leaves the old content whole.
// False, with nothing replaced, when something other than a regular file
// stands at path, or when the write fails.
bool ReplaceRegularFile(const std::string& path, const std::string& text);
