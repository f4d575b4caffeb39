// The system's file calls, the one place where POSIX and Windows differ.
// Paths are in UTF-8 (on Windows they reach the system in their wide form,
// base/file_path.h); an open file is a descriptor, -1 for none. Every call
// returns at once: nothing here waits for a FIFO's other end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class FileKind { Regular, Missing, Directory, Special, Unreachable };

// What stands at path, links followed. For anything but a regular file,
// *reason says what in words ("it is not a regular file", the system's
// text when nothing is there).
FileKind KindAtPath(const std::string& path, std::string* reason);

// What an open descriptor refers to, and its size in bytes.
FileKind KindOfOpenFile(int fd, std::uint64_t* size);

// Opens for reading; never waits for a writer and never makes a terminal
// the process's own. -1 with the system's reason.
int OpenFileToRead(const std::string& path, std::string* reason);

// Opens an existing file for writing, without creating one and without
// waiting for a reader. -1 with the system's reason.
int OpenFileToRewrite(const std::string& path, std::string* reason);

// Creates a new file for writing; fails when anything at all, a link
// included, stands under the name.
int CreateNewFile(const std::string& path, std::string* reason);

// Up to size bytes; 0 at the end, -1 on failure.
long ReadFromFile(int fd, void* buf, std::size_t size);
// All of the bytes, or false.
bool WriteToFile(int fd, const void* buf, std::size_t size);
// Cuts the file to no bytes.
bool EmptyFile(int fd);
void CloseFile(int fd);

// Removes the entry at path (not a directory); false when nothing was removed.
bool RemoveFileEntry(const std::string& path);
