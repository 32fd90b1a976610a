// Sample start-address plug-in: asks the simulator's main window (the search button's parent) for the address
// of its result table, which the simulator publishes as a window property. 0 when there is no such window or
// property.
#include <windows.h>

#include "tools/vobra_sim/sim_protocol.h"

extern "C" __declspec(dllexport) DWORD __cdecl AutoExec(HWND searchButton) {
    HWND host = GetParent(searchButton);
    if (!host) return 0;
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(host, vobra_sim::kTableProperty)));
}
