// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora::test {

// A new empty folder under the user's temporary folder, removed with all it holds when the
// object goes. Paths are UTF-8 with "\" separators, as the services take them.
class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of name inside the folder.
    std::string operator/(std::string_view name) const;

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
// Every name in folder, hidden ones too.
std::string NamesIn(const std::string& folder);
// The folder of the running test program, without a trailing "\".
std::string TestProgramFolder();

} // namespace velmora::test
