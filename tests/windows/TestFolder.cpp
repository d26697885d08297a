// SPDX-License-Identifier: MIT
#include "TestFolder.h"

#include "DataFolder.h"
#include "WideText.h"
#include "Win32.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace velmora::test {

namespace fs = std::filesystem;
using windows_impl::Narrow;
using windows_impl::Widen;

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0)
        throw std::runtime_error("no temporary folder");
    const std::wstring path = std::wstring(temp) + L"velmora-test-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++);
    fs::remove_all(path);
    fs::create_directories(path);
    path_ = Narrow(path);
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    fs::remove_all(Widen(path_), ignored);
}

std::string TestFolder::operator/(std::string_view name) const {
    return path_ + '\\' + std::string(name);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(fs::path(Widen(path)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(fs::path(Widen(path)), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(Widen(folder))))
        names.push_back(Narrow(entry.path().filename().wstring()));
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

std::string TestProgramFolder() {
    return Narrow(windows_impl::ProgramFolder());
}

} // namespace velmora::test
