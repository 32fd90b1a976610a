#include <windows.h>

#include "ui/program_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return twk::ui::runProgram(instance, showCommand);
}
