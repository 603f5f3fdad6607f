// A fresh temporary folder per test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varkon::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const;  // name in UTF-8

    // Writes bytes exactly as given (no line-end translation) and reads them back.
    void write(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

}  // namespace varkon::test
