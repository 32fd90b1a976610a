// The system's open and save dialogs for the program's text files.
#pragma once

#include <windows.h>

#include <string>

namespace twk::ui {

// Asks for a text file, starting from `start` (a cp932 path). True, with the chosen cp932 path, when the user
// chose one. Saving asks before replacing a file; opening wants an existing one.
bool chooseTextFile(HWND owner, bool save, const char* caption, const std::string& start,
                    std::string& chosen);

}  // namespace twk::ui
