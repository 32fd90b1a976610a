#include "bench/win32/process_counts_win32.h"

#include <windows.h>
// The process information declarations need the base declarations first.
#include <psapi.h>

#include <cstring>
#include <functional>

namespace winbench {

namespace {

// Handle values of this process are multiples of 4 given out from the lowest free one; after this many
// values without a live handle beyond the last live one there are none.
constexpr int kHandleMissesToEnd = 1024;
// GDI objects are known by the index in their low word (the high word 0 stands for any generation), USER
// objects by an index from 0x20 in steps of 2.
constexpr UINT_PTR kGdiIndexEnd = 0x10000;
constexpr UINT_PTR kUserFirst = 0x20;
constexpr UINT_PTR kUserEnd = 0xFFF0;
constexpr SIZE_T kCalibrationBytes = 8u << 20;

long handlesByApi() {
    DWORD n = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &n) ? static_cast<long>(n) : 0;
}

long handlesByProbe() {
    long live = 0;
    int misses = 0;
    for (UINT_PTR value = 4; misses < kHandleMissesToEnd; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++live;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return live;
}

long gdiByProbe() {
    long live = 0;
    for (UINT_PTR index = 1; index < kGdiIndexEnd; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

BOOL CALLBACK countChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD process;
    long count;
};

// A window of this process and every window below it.
void countTree(HWND w, WindowCount& c) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != c.process) return;
    ++c.count;
    EnumChildWindows(w, countChild, reinterpret_cast<LPARAM>(&c.count));
}

BOOL CALLBACK countTopLevel(HWND w, LPARAM p) {
    countTree(w, *reinterpret_cast<WindowCount*>(p));
    return TRUE;
}

long windowsOfThisProcess() {
    WindowCount c{GetCurrentProcessId(), 0};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&c));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        countTree(w, c);
    return c.count;
}

// Windows, menus, icons and cursors: the USER objects a program makes and can lose.
long userByProbe() {
    long live = windowsOfThisProcess();
    for (UINT_PTR value = kUserFirst; value < kUserEnd; value += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++live;
            continue;
        }
        ICONINFO info = {};
        if (GetIconInfo(reinterpret_cast<HICON>(value), &info)) {
            ++live;
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
    }
    return live;
}

PROCESS_MEMORY_COUNTERS_EX memoryCounters() {
    PROCESS_MEMORY_COUNTERS_EX m = {};
    m.cb = sizeof m;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m))
        std::memset(&m, 0, sizeof m);
    return m;
}

// Whether `count` rises by exactly one while `make` holds one more object (with `atLeast`: by one or more),
// and falls back after `unmake`.
template <class Object>
bool followsOne(const std::function<long()>& count, const std::function<Object()>& make,
                const std::function<void(Object)>& unmake, bool atLeast = false) {
    const long before = count();
    Object o = make();
    if (!o) return false;
    const long during = count();
    unmake(o);
    const long after = count();
    return (atLeast ? during > before : during == before + 1) && after == before;
}

const char* name(ProcessCounter::Way way, const char* probe) {
    return way == ProcessCounter::Way::Api ? "api" : probe;
}

}  // namespace

bool ProcessCounter::calibrate(std::string* error) {
    auto makeEvent = [] { return CreateEventW(nullptr, FALSE, FALSE, nullptr); };
    auto closeEvent = [](HANDLE h) { CloseHandle(h); };
    auto makeBrush = [] { return CreateSolidBrush(RGB(1, 2, 3)); };
    auto deleteBrush = [](HBRUSH b) { DeleteObject(b); };
    auto makeMenu = [] { return CreateMenu(); };
    auto destroyMenu = [](HMENU m) { DestroyMenu(m); };
    auto makeWindow = [] {
        return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 8, 8, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    };
    auto destroyWindow = [](HWND w) { DestroyWindow(w); };
    auto gdiByApi = [] { return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)); };
    auto userByApi = [] { return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)); };
    // The first window of the process loads the shared cursor and the like: they are there before counting.
    // A top-level window comes with the thread's input-method window, so it counts one or more.
    destroyWindow(makeWindow());
    auto followsUser = [&](const std::function<long()>& count) {
        return followsOne<HMENU>(count, makeMenu, destroyMenu) &&
               followsOne<HWND>(count, makeWindow, destroyWindow, true);
    };

    if (followsOne<HANDLE>(handlesByApi, makeEvent, closeEvent))
        handles_ = Way::Api;
    else if (followsOne<HANDLE>(handlesByProbe, makeEvent, closeEvent))
        handles_ = Way::Probe;
    else
        return *error = "no count of kernel handles follows a new handle", false;

    if (followsOne<HBRUSH>(gdiByApi, makeBrush, deleteBrush))
        gdi_ = Way::Api;
    else if (followsOne<HBRUSH>(gdiByProbe, makeBrush, deleteBrush))
        gdi_ = Way::Probe;
    else
        return *error = "no count of GDI objects follows a new brush", false;

    if (followsUser(userByApi))
        user_ = Way::Api;
    else if (followsUser(userByProbe))
        user_ = Way::Probe;
    else
        return *error = "no count of USER objects follows a new menu and window", false;

    // Private memory: 8 MiB written must show.
    const PROCESS_MEMORY_COUNTERS_EX before = memoryCounters();
    void* block = VirtualAlloc(nullptr, kCalibrationBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return *error = "no memory to calibrate with", false;
    std::memset(block, 1, kCalibrationBytes);
    const PROCESS_MEMORY_COUNTERS_EX during = memoryCounters();
    VirtualFree(block, 0, MEM_RELEASE);
    auto rose = [](SIZE_T a, SIZE_T b) { return b >= a && b - a >= kCalibrationBytes * 7 / 8; };
    if (rose(before.PrivateUsage, during.PrivateUsage))
        memory_ = Way::Api;
    else if (rose(before.PagefileUsage, during.PagefileUsage))
        memory_ = Way::Probe;
    else
        return *error = "neither PrivateUsage nor PagefileUsage follows 8 MiB written", false;
    return true;
}

ProcessCounts ProcessCounter::take() const {
    ProcessCounts c;
    c.handles = handles_ == Way::Api ? handlesByApi() : handlesByProbe();
    // GDI before USER: counting icons copies their bitmaps for a moment.
    c.gdi = gdi_ == Way::Api ? static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
                             : gdiByProbe();
    c.user = user_ == Way::Api ? static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
                               : userByProbe();
    const PROCESS_MEMORY_COUNTERS_EX m = memoryCounters();
    c.privateBytes = static_cast<std::int64_t>(memory_ == Way::Api ? m.PrivateUsage : m.PagefileUsage);
    return c;
}

std::string ProcessCounter::methods() const {
    return std::string("handles=") + name(handles_, "probe") + " gdi=" + name(gdi_, "probe") +
           " user=" + name(user_, "probe") + " private=" + name(memory_, "pagefile");
}

}  // namespace winbench
