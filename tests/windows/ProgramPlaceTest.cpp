// SPDX-License-Identifier: MIT
#include "DataFolder.h"
#include "Expect.h"
#include "Handle.h"
#include "InstanceLock.h"
#include "SystemServicesFactory.h"
#include "TestFolder.h"
#include "WideText.h"
#include "Win32.h"

#include <doctest.h>

#include <cctype>

using namespace velmora;
using velmora::test::TestFolder;
using windows_impl::Narrow;
using windows_impl::Widen;

namespace {

// What the probe program says of folder: 1 held by another, 0 free, 2 failed.
int Probe(const std::string& folder) {
    std::wstring argument = Widen(folder);
    // A backslash before the closing quotation mark would escape it.
    if (!argument.empty() && argument.back() == L'\\')
        argument += L'\\';
    std::wstring command = L"\"" + Widen(velmora::test::TestProgramFolder()) +
                           L"\\velmora_instance_probe.exe\" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    REQUIRE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
    windows_impl::Handle thread(process.hThread);
    windows_impl::Handle child(process.hProcess);
    REQUIRE(::WaitForSingleObject(child.Get(), 60000) == WAIT_OBJECT_0);
    DWORD code = 3;
    ::GetExitCodeProcess(child.Get(), &code);
    return int(code);
}

} // namespace

TEST_SUITE("place") {
    TEST_CASE("a second program on the same data folder sees the first") {
        TestFolder folder;
        const std::string other = folder / "other";
        ::CreateDirectoryW(Widen(other).c_str(), nullptr);
        std::string otherSpelling = folder.Path() + "\\";
        for (char& c : otherSpelling)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        {
            const auto first = CreateSystemServices();
            CHECK_FALSE(first->PrevInstance(folder.Path()));
            CHECK_FALSE(first->PrevInstance(folder.Path())); // its own lock is no other program
            CHECK(Probe(folder.Path()) == 1);
            CHECK(Probe(otherSpelling) == 1);
            CHECK(Probe(folder / "other\\..") == 1);
            CHECK(Probe(other) == 0);
        }
        CHECK(Probe(folder.Path()) == 0);
    }

    TEST_CASE("the data folder is beside the program when it can be written there") {
        TestFolder folder;
        const std::wstring local = Widen(folder / "Local");
        ::CreateDirectoryW(local.c_str(), nullptr);

        CHECK(Narrow(windows_impl::ChooseDataFolder(Widen(folder.Path()), local)) == folder.Path());
        // A program folder that cannot be written (here: that is not there) sends the data
        // to the user's own folder, made on first start.
        CHECK(Narrow(windows_impl::ChooseDataFolder(Widen(folder / "Program"), local)) ==
              folder / "Local\\Velmora");
        const DWORD made = ::GetFileAttributesW(Widen(folder / "Local\\Velmora").c_str());
        CHECK((made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_DIRECTORY)));
        CHECK(Narrow(windows_impl::ChooseDataFolder(Widen(folder / "Program"), local)) ==
              folder / "Local\\Velmora");
        CHECK_ERROR_NUMBER(
            windows_impl::ChooseDataFolder(Widen(folder / "Program"), Widen(folder / "gone")),
            Err::PathNotFound);
        CHECK(velmora::test::NamesIn(folder.Path()) == "Local");
        const auto services = CreateSystemServices();
        CHECK(services->AppFolder() == velmora::test::TestProgramFolder());
    }
}
