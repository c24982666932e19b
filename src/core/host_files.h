// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What differs between the systems the core runs on, kept in one place: names that
// stand for devices and streams, replacing a file, and permission bits.

#include <string>
#include <system_error>

namespace quorvel {

// Names of devices and open streams (/dev/stdout, /dev/fd/1, /proc/..., NUL, CON):
// written where they are, never replaced by a new file.
bool isSystemStreamName(const std::string& path);

// Puts `from` where `to` is, replacing a file there (std::rename does not replace on
// every system).
std::error_code replaceFile(const std::string& from, const std::string& to);

// Gives `from` the new name `to`, never replacing anything there: EEXIST when a file,
// folder or link of that name exists (a link is not followed).
std::error_code renameToNew(const std::string& from, const std::string& to);

// Gives `to` the permission bits of `from`, where the system has them.
void copyPermissions(const std::string& from, const std::string& to);

}  // namespace quorvel
