// A fresh temporary folder for the bench's serial device link, removed at
// the end.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace avrboard {

class TestDir {
  public:
    TestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-bench-XXXXXX");
        path_ = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TestDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace avrboard
