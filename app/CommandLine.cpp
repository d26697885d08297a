// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

constexpr const char* kHelp =
    "Usage: velmora [--help | --version]\n"
    "\n"
    "Velmora steps through your own list of desktop wallpapers. It opens a small window\n"
    "at the bottom-left corner of the screen: \"<\" and \">\" make the previous or next\n"
    "registered picture the wallpaper (with Ctrl held they remove it), and the hammer\n"
    "button opens the window where pictures are registered and removed.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "The list, the wallpaper bitmap and Pic/ live beside the program when you can write\n"
    "there, otherwise in $XDG_DATA_HOME/velmora (~/.local/share/velmora). See velmora(1).\n";

} // namespace

std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("velmora " VELMORA_VERSION "\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return std::nullopt;
}

} // namespace velmora
