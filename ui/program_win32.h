// The program's entry: one instance per session, the main window, the message loop.
#pragma once

#include <windows.h>

#include <string>

namespace twk::ui {

// The folder of the program file, with its trailing "\" (cp932).
std::string programFolder(HINSTANCE instance);

// Runs the program; returns the exit code (0 also when another instance was running and was told to restore
// its window).
int runProgram(HINSTANCE instance, int showCommand);

}  // namespace twk::ui
