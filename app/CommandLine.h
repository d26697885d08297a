// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

namespace velmora {

// --help and --version are answered on stdout before anything else happens: no display, no
// running instance needed. Gives the exit status when the program should end here. Any other
// argument is ignored: the program takes none.
std::optional<int> AnswerCommandLine(int argc, char* argv[]);

} // namespace velmora
