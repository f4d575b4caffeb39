// Helpers every test uses: temporary simulator folders, free loopback UDP
// ports, file writing.
#pragma once

#include <initializer_list>
#include <string>

namespace testenv {

// A fresh directory under the system's temporary folder, removed by the
// destructor with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A UDP port that was free on 127.0.0.1 a moment ago; each test takes its
// own so tests can run in parallel.
int FreeUdpPort();

void MakeDirs(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A byte string written as numbers: Bytes({'~', 0, 1}).
inline std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes += static_cast<char>(v);
    return bytes;
}

// How often part occurs in text (a log line in a captured log, say).
int Occurrences(const std::string& text, const std::string& part);

// Number of descriptors this process has open; -1 on Windows.
int OpenDescriptorCount();

}  // namespace testenv
