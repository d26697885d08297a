// SPDX-License-Identifier: MIT
#pragma once

// windows.h without the A/W macros whose names the program's services share: a macro
// CopyFile would rename SystemServices::CopyFile in one file and not in the others.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef GetDriveType
