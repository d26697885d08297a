// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora::windows_impl {

// The folder of the running program file, without a trailing "\".
std::wstring ProgramFolder();

// Where the program keeps its data: programFolder when the user can write there, otherwise
// localAppData\Velmora, created when missing. Throws when neither can be had.
std::wstring ChooseDataFolder(const std::wstring& programFolder, const std::wstring& localAppData);

// ChooseDataFolder for this program and user.
std::wstring DataFolder();

} // namespace velmora::windows_impl
