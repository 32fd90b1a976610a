// Sample name-rewriting plug-in: every "_" of a name becomes a space, so "summer_photos_2026.zip" reads
// "summer photos 2026.zip". Double-byte characters are stepped over whole (their second byte may look like
// "_").
#include <windows.h>

extern "C" __declspec(dllexport) void __cdecl ReplaceString(char* name, int capacity) {
    if (!name || capacity <= 0) return;
    for (int i = 0; i < capacity && name[i]; ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(name[i]))) {
            if (i + 1 < capacity && name[i + 1]) ++i;
        } else if (name[i] == '_') {
            name[i] = ' ';
        }
    }
}
