// The program's version: the one place it is written. The window title, the version information of
// Tollwick.exe and the name of the release zip (release.sh reads the two numbers below) all come from here.
// Shared by the resource compiler and C++, so macros only.
#pragma once

#define TWK_VERSION_MAJOR 3
#define TWK_VERSION_MINOR 25

#define TWK_VERSION_STR2(x) #x
#define TWK_VERSION_STR(x) TWK_VERSION_STR2(x)
// "3.25"
#define TWK_VERSION_TEXT TWK_VERSION_STR(TWK_VERSION_MAJOR) "." TWK_VERSION_STR(TWK_VERSION_MINOR)
// "Tollwick version 3.25": the window caption, the tray tip and the caption of the program's message boxes.
#define TWK_PRODUCT_TITLE "Tollwick version " TWK_VERSION_TEXT
