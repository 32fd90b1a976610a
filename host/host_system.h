// What the host link asks of the system to reach the host client: its windows, its process memory and the
// plug-in libraries. The Win32 build implements it with the system's window, process and library functions;
// tests use a scripted fake. Windows are plain handle values; 0 is "no window".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace twk {

using WindowRef = std::uintptr_t;
constexpr WindowRef kNoWindow = 0;

// Window messages and values sent to the host (the system's numbers).
constexpr unsigned kMsgSetText = 0x000C;         // WM_SETTEXT
constexpr unsigned kMsgGetText = 0x000D;         // WM_GETTEXT
constexpr unsigned kMsgCommand = 0x0111;         // WM_COMMAND
constexpr unsigned kMsgSysCommand = 0x0112;      // WM_SYSCOMMAND
constexpr unsigned kMsgLButtonDown = 0x0201;     // WM_LBUTTONDOWN
constexpr unsigned kMsgLButtonUp = 0x0202;       // WM_LBUTTONUP
constexpr std::uintptr_t kSysMinimize = 0xF020;  // SC_MINIMIZE
constexpr unsigned kButtonClicked = 0;           // BN_CLICKED

// PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE.
constexpr std::uint32_t kHostProcessAccess = 0x3A;

// The calling convention of the plug-in exports.
#if defined(__i386__)
#define TWK_CDECL __attribute__((cdecl))
#else
#define TWK_CDECL
#endif

// "AutoExec"(search button) -> address of the first host record, 0 when unknown.
using AutoExecProc = std::uint32_t(TWK_CDECL*)(WindowRef searchButton);
// "ReplaceString"(name, capacity): may rewrite the name in place.
using ReplaceStringProc = void(TWK_CDECL*)(char* name, int capacity);

// An opened host process; closed when destroyed.
class HostProcess {
  public:
    virtual ~HostProcess() = default;
    // Reads `size` bytes at `address` of the process. False when any of them cannot be read (the buffer may
    // then hold part of them).
    virtual bool read(std::uint32_t address, void* buffer, std::size_t size) = 0;
};

// A loaded library; freed when destroyed.
class HostLibrary {
  public:
    virtual ~HostLibrary() = default;
    // The address of an export, or nullptr.
    virtual void* findExport(const char* name) = 0;
};

class HostSystem {
  public:
    virtual ~HostSystem() = default;

    // Z order: the first child of `parent` (kNoWindow: the first top-level window) and the next sibling.
    virtual WindowRef topWindow(WindowRef parent) const = 0;
    virtual WindowRef nextWindow(WindowRef window) const = 0;
    virtual WindowRef firstChild(WindowRef window) const = 0;
    virtual WindowRef parentOf(WindowRef window) const = 0;
    // The class name and the stored caption, terminated within `size` bytes; the length is returned.
    virtual int className(WindowRef window, char* buffer, int size) const = 0;
    virtual int windowText(WindowRef window, char* buffer, int size) const = 0;
    virtual bool isVisible(WindowRef window) const = 0;
    virtual int controlId(WindowRef window) const = 0;
    virtual std::uint32_t processId(WindowRef window) const = 0;

    virtual std::intptr_t sendMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    virtual bool postMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    virtual void hideWindow(WindowRef window) = 0;

    // nullptr when the process cannot be opened with `access`.
    virtual std::unique_ptr<HostProcess> openProcess(std::uint32_t access, std::uint32_t processId) = 0;
    // nullptr when the library cannot be loaded.
    virtual std::unique_ptr<HostLibrary> loadLibrary(const char* name) = 0;

    // Enables the debug privilege of this process's token: 1 done, 0 failed.
    virtual int enableDebugPrivilege() = 0;
};

}  // namespace twk
