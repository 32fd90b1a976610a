// A scripted host for the host link's tests: a window tree in Z order, process memory laid out in regions
// (readable or not), plug-in libraries with exports, and a log of every message the link sends.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/host_link.h"
#include "host/host_system.h"
#include "host/layout_definitions.h"

namespace twk::test {

struct FakeWindow {
    std::string className;
    std::string text;  // the stored caption; for an edit field also what WM_GETTEXT / WM_SETTEXT see
    bool visible = true;
    int id = 0;
    std::uint32_t pid = 0;
    WindowRef parent = kNoWindow;
    std::vector<WindowRef> children;  // Z order, top first
};

struct SentMessage {
    WindowRef window;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool posted;
};

// Memory of one fake process: sparse regions; a read succeeds only when every byte lies in a readable region.
class FakeMemory {
  public:
    void map(std::uint32_t address, std::uint32_t size, bool readable = true);
    void write(std::uint32_t address, const void* bytes, std::size_t size);
    void writeText(std::uint32_t address, const std::string& text);  // with its NUL
    void protect(std::uint32_t address, std::uint32_t size, bool readable);
    bool read(std::uint32_t address, void* buffer, std::size_t size) const;

    int reads = 0;
    // Called before every read (address, size): lets a test change the memory during a walk.
    std::function<void(std::uint32_t, std::size_t)> beforeRead;

  private:
    struct Page {
        std::vector<unsigned char> bytes;
        bool readable = true;
    };
    static constexpr std::uint32_t kPage = 4096;
    Page* page(std::uint32_t number, bool create);
    std::map<std::uint32_t, Page> pages_;
};

class FakeHostSystem : public HostSystem {
  public:
    // Windows: a new top-level window goes below the existing ones; a new child below its siblings.
    WindowRef addTopLevel(const std::string& cls, const std::string& text, std::uint32_t pid = 100);
    WindowRef addChild(WindowRef parent, const std::string& cls, const std::string& text, int id = 0);
    FakeWindow& window(WindowRef w) { return windows_.at(w); }
    void raise(WindowRef topLevel);  // to the top of the Z order

    FakeMemory& memory(std::uint32_t pid) { return memory_[pid]; }
    void refuseOpen(bool on) { refuseOpen_ = on; }

    // Libraries: a name with exports; a missing name fails to load.
    void addLibrary(const std::string& name, std::map<std::string, void*> exports);
    void removeLibrary(const std::string& name) { libraries_.erase(name); }

    // Builds a host as the default layout expects it: main window, search button (id 1001), three combo boxes
    // (each with an edit field) and a result table of `records` at kDefaultStartPtr. Returns the main window.
    struct Record {
        std::string name, trip, size, status, refAmount, updateTime, ver, hash;
    };
    WindowRef buildHost(const LayoutDefinitions& layout, const std::vector<Record>& records,
                        std::uint32_t pid = 100);
    WindowRef searchButton() const { return button_; }
    WindowRef combo(int n) const { return combos_.at(n); }
    void writeRecord(std::uint32_t pid, const LayoutDefinitions& layout, std::uint32_t base, const Record& r);

    // HostSystem
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
    int enableDebugPrivilege() override { return 1; }

    std::vector<SentMessage> messages;
    std::vector<std::string> loaded;  // names asked of loadLibrary, in order
    std::uint32_t lastAccess = 0;
    int libraryFrees = 0;
    // The host's own command that shows its window.
    int showCommand = 156;

  private:
    const std::vector<WindowRef>& siblings(WindowRef w) const;
    std::map<WindowRef, FakeWindow> windows_;
    std::vector<WindowRef> topLevel_;
    std::map<std::uint32_t, FakeMemory> memory_;
    std::map<std::string, std::map<std::string, void*>> libraries_;
    bool refuseOpen_ = false;
    WindowRef next_ = 0x100;
    WindowRef button_ = kNoWindow;
    std::vector<WindowRef> combos_;
};

}  // namespace twk::test
