/* Sample name-rewriting plug-in "Replace.dll" for Tollwick.
 *
 * Tollwick calls ReplaceString for every search result it takes from Vobra, with the result's file name (a
 * writable NUL-terminated Shift_JIS text) and the size of its buffer (260 bytes). The plug-in may rewrite the
 * name in place, keeping it within that size including the NUL.
 *
 * This sample turns every "_" of a name into a space, so "summer_photos_2026.zip" reads
 * "summer photos 2026.zip". Double-byte characters are stepped over whole (their second byte may look like
 * "_"). Build with a 32-bit C compiler, e.g.
 *   i686-w64-mingw32-gcc -shared -O2 -o Replace.dll Replace.c
 */
#include <windows.h>

__declspec(dllexport) void __cdecl ReplaceString(char* name, int capacity) {
    int i;
    if (!name || capacity <= 0) return;
    for (i = 0; i < capacity && name[i]; ++i) {
        if (IsDBCSLeadByteEx(932, (BYTE)name[i])) {
            if (i + 1 < capacity && name[i + 1]) ++i;
        } else if (name[i] == '_') {
            name[i] = ' ';
        }
    }
}
