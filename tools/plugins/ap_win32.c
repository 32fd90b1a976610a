/* Sample start-address plug-in "ap.dll" for Tollwick.
 *
 * Tollwick calls AutoExec once, before its first collection, with the window handle of Vobra's search button.
 * It returns the address, inside the Vobra process, of the first record of Vobra's table of search results,
 * or 0 when it cannot tell (Tollwick then uses "StartPtr" of TWK.ini).
 *
 * This sample asks Vobra's main window (the search button's parent) for a window property named
 * "VobraSimTable" and returns its value. The stand-in of Vobra used to develop Tollwick publishes that
 * property; a real Vobra does not, so there the sample returns 0. Build with a 32-bit C compiler, e.g.
 *   i686-w64-mingw32-gcc -shared -O2 -o ap.dll ap.c -luser32
 */
#include <windows.h>

#define TABLE_PROPERTY "VobraSimTable"

__declspec(dllexport) DWORD __cdecl AutoExec(HWND searchButton) {
    HWND host = GetParent(searchButton);
    if (!host) return 0;
    return (DWORD)(UINT_PTR)GetPropA(host, TABLE_PROPERTY);
}
