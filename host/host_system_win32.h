// The host link's reach into the system: other processes' windows, their memory and the plug-in libraries.
#pragma once

#include <string>

#include "host/host_system.h"

namespace twk {

class Win32HostSystem final : public HostSystem {
  public:
    WindowRef topWindow(WindowRef parent) const override;
    WindowRef nextWindow(WindowRef window) const override;
    WindowRef firstChild(WindowRef window) const override;
    WindowRef parentOf(WindowRef window) const override;
    int className(WindowRef window, char* buffer, int size) const override;
    int windowText(WindowRef window, char* buffer, int size) const override;
    bool isVisible(WindowRef window) const override;
    int controlId(WindowRef window) const override;
    std::uint32_t processId(WindowRef window) const override;
    std::intptr_t sendMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool postMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    void hideWindow(WindowRef window) override;
    std::unique_ptr<HostProcess> openProcess(std::uint32_t access, std::uint32_t processId) override;
    std::unique_ptr<HostLibrary> loadLibrary(const char* name) override;
    int enableDebugPrivilege() override;

    // Plug-ins are loaded from this folder only, by full path (the program's own folder unless set; tests set
    // another). An empty folder restores the program's own.
    void setPluginFolder(std::wstring folder) { pluginFolder_ = std::move(folder); }
    std::wstring pluginPath(const char* name) const;

  private:
    std::wstring pluginFolder_;
};

// The system's host access, one per process.
Win32HostSystem& systemHost();

}  // namespace twk
