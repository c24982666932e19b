// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The version and licence, as every program of the project reports them.

#include <string>

namespace quorvel {

inline constexpr const char* kLicence = "GNU General Public License, version 3 or later";

// What `--version` prints: the program, its version and its licence.
inline std::string versionText(const std::string& program) {
    return program +
           " " QUORVEL_VERSION
           "\n"
           "Copyright (C) 2026 The Quorvel project\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace quorvel
