// Plain file access for the profile store: a whole file in, a whole file out. Paths are cp932 byte strings;
// the Windows build opens them through the wide-character calls, so that a settings file keeps its cp932
// bytes and a folder with Japanese characters is found whatever the system's code page is.
#pragma once

#include <string>

namespace twk {

enum class ProfileFileRead { Read, Missing, Failed };

ProfileFileRead readProfileFile(const char* path, std::string& out);

// Replaces the file's contents through a temporary file beside it, so that a failed write (full disk) leaves
// the old contents in place. An existing file that cannot be written (read-only) is left alone: false.
bool replaceProfileFile(const char* path, const std::string& contents, bool existed);

}  // namespace twk
