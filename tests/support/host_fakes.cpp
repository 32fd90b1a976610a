#include "support/host_fakes.h"

#include <algorithm>
#include <cstring>

#include "core/entry.h"
#include "host/host_link.h"

namespace twk::test {

FakeMemory::Page* FakeMemory::page(std::uint32_t number, bool create) {
    auto it = pages_.find(number);
    if (it != pages_.end()) return &it->second;
    if (!create) return nullptr;
    Page& p = pages_[number];
    p.bytes.assign(kPage, 0);
    return &p;
}

void FakeMemory::map(std::uint32_t address, std::uint32_t size, bool readable) {
    if (size == 0) return;
    std::uint64_t end = std::uint64_t{address} + size;
    for (std::uint64_t a = address - address % kPage; a < end; a += kPage)
        page(static_cast<std::uint32_t>(a / kPage), true)->readable = readable;
}

void FakeMemory::protect(std::uint32_t address, std::uint32_t size, bool readable) {
    std::uint64_t end = std::uint64_t{address} + size;
    for (std::uint64_t a = address - address % kPage; a < end; a += kPage)
        if (Page* p = page(static_cast<std::uint32_t>(a / kPage), false)) p->readable = readable;
}

void FakeMemory::write(std::uint32_t address, const void* bytes, std::size_t size) {
    const auto* src = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        std::uint32_t a = address + static_cast<std::uint32_t>(i);
        page(a / kPage, true)->bytes[a % kPage] = src[i];
    }
}

void FakeMemory::writeText(std::uint32_t address, const std::string& text) {
    write(address, text.c_str(), text.size() + 1);
}

bool FakeMemory::read(std::uint32_t address, void* buffer, std::size_t size) const {
    auto* dst = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < size; ++i) {
        std::uint64_t a = std::uint64_t{address} + i;
        if (a >= (std::uint64_t{1} << 32)) return false;
        auto it = pages_.find(static_cast<std::uint32_t>(a / kPage));
        if (it == pages_.end() || !it->second.readable) return false;
        dst[i] = it->second.bytes[a % kPage];
    }
    return true;
}

namespace {
class FakeProcess : public HostProcess {
  public:
    explicit FakeProcess(FakeMemory& m) : m_(m) {}
    bool read(std::uint32_t address, void* buffer, std::size_t size) override {
        ++m_.reads;
        if (m_.beforeRead) m_.beforeRead(address, size);
        return m_.read(address, buffer, size);
    }

  private:
    FakeMemory& m_;
};

class FakeLibrary : public HostLibrary {
  public:
    FakeLibrary(std::map<std::string, void*> exports, int& frees)
        : exports_(std::move(exports)), frees_(frees) {}
    ~FakeLibrary() override { ++frees_; }
    void* findExport(const char* name) override {
        auto it = exports_.find(name);
        return it == exports_.end() ? nullptr : it->second;
    }

  private:
    std::map<std::string, void*> exports_;
    int& frees_;
};

int copyOut(const std::string& s, char* buffer, int size) {
    if (size <= 0) return 0;
    int n = std::min<int>(static_cast<int>(s.size()), size - 1);
    std::memcpy(buffer, s.data(), static_cast<std::size_t>(n));
    buffer[n] = 0;
    return n;
}
}  // namespace

WindowRef FakeHostSystem::addTopLevel(const std::string& cls, const std::string& text, std::uint32_t pid) {
    WindowRef w = next_++;
    FakeWindow& fw = windows_[w];
    fw.className = cls;
    fw.text = text;
    fw.pid = pid;
    topLevel_.push_back(w);
    return w;
}

WindowRef FakeHostSystem::addChild(WindowRef parent, const std::string& cls, const std::string& text,
                                   int id) {
    WindowRef w = next_++;
    FakeWindow& fw = windows_[w];
    fw.className = cls;
    fw.text = text;
    fw.id = id;
    fw.parent = parent;
    fw.pid = windows_.at(parent).pid;
    windows_.at(parent).children.push_back(w);
    return w;
}

void FakeHostSystem::raise(WindowRef topLevel) {
    topLevel_.erase(std::remove(topLevel_.begin(), topLevel_.end(), topLevel), topLevel_.end());
    topLevel_.insert(topLevel_.begin(), topLevel);
}

void FakeHostSystem::addLibrary(const std::string& name, std::map<std::string, void*> exports) {
    libraries_[name] = std::move(exports);
}

void FakeHostSystem::writeRecord(std::uint32_t pid, const LayoutDefinitions& layout, std::uint32_t base,
                                 const Record& r) {
    const std::string* f[8] = {&r.name,      &r.trip,       &r.size, &r.status,
                               &r.refAmount, &r.updateTime, &r.ver,  &r.hash};
    for (int j = 0; j < 8; ++j) memory(pid).writeText(base + layout.stepOffsets[j], *f[j]);
}

WindowRef FakeHostSystem::buildHost(const LayoutDefinitions& layout, const std::vector<Record>& records,
                                    std::uint32_t pid) {
    WindowRef host = addTopLevel(layout.vobraClass, layout.vobraTitle + "1.0", pid);
    for (int i = 0; i < 3; ++i) {
        WindowRef combo = addChild(host, "ComboBox", "", 1100 + i);
        addChild(combo, "Edit", "", 1001);
        combos_.push_back(combo);
    }
    button_ = addChild(host, "Button", layout.buttonTitle, 1001);
    // The table, one record more than given (an empty name ends it), all mapped and readable.
    std::uint32_t size = layout.nextStep * static_cast<std::uint32_t>(records.size() + 1);
    memory(pid).map(kDefaultStartPtr, size);
    for (std::size_t i = 0; i < records.size(); ++i)
        writeRecord(pid, layout, kDefaultStartPtr + static_cast<std::uint32_t>(i) * layout.nextStep,
                    records[i]);
    return host;
}

const std::vector<WindowRef>& FakeHostSystem::siblings(WindowRef w) const {
    WindowRef p = windows_.at(w).parent;
    return p == kNoWindow ? topLevel_ : windows_.at(p).children;
}

WindowRef FakeHostSystem::topWindow(WindowRef parent) const {
    if (parent == kNoWindow) return topLevel_.empty() ? kNoWindow : topLevel_.front();
    auto it = windows_.find(parent);
    if (it == windows_.end() || it->second.children.empty()) return kNoWindow;
    return it->second.children.front();
}

WindowRef FakeHostSystem::nextWindow(WindowRef window) const {
    if (!windows_.count(window)) return kNoWindow;
    const auto& s = siblings(window);
    auto it = std::find(s.begin(), s.end(), window);
    if (it == s.end() || ++it == s.end()) return kNoWindow;
    return *it;
}

WindowRef FakeHostSystem::firstChild(WindowRef window) const {
    return topWindow(window);
}

WindowRef FakeHostSystem::parentOf(WindowRef window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? kNoWindow : it->second.parent;
}

int FakeHostSystem::className(WindowRef window, char* buffer, int size) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? copyOut("", buffer, size) : copyOut(it->second.className, buffer, size);
}

int FakeHostSystem::windowText(WindowRef window, char* buffer, int size) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? copyOut("", buffer, size) : copyOut(it->second.text, buffer, size);
}

bool FakeHostSystem::isVisible(WindowRef window) const {
    // As the system says: visible only when the window and all its ancestors are.
    for (WindowRef w = window; w != kNoWindow; w = parentOf(w)) {
        auto it = windows_.find(w);
        if (it == windows_.end() || !it->second.visible) return false;
    }
    return true;
}

int FakeHostSystem::controlId(WindowRef window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? 0 : it->second.id;
}

std::uint32_t FakeHostSystem::processId(WindowRef window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? 0 : it->second.pid;
}

std::intptr_t FakeHostSystem::sendMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    messages.push_back({window, message, wParam, lParam, false});
    auto it = windows_.find(window);
    if (it == windows_.end()) return 0;
    if (message == kMsgGetText) {
        return copyOut(it->second.text, reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
    }
    if (message == kMsgSetText) {
        it->second.text = reinterpret_cast<const char*>(lParam);
        return 1;
    }
    if (message == kMsgCommand && wParam == static_cast<std::uintptr_t>(showCommand))
        it->second.visible = true;
    return 0;
}

bool FakeHostSystem::postMessage(WindowRef window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    messages.push_back({window, message, wParam, lParam, true});
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    if (message == kMsgSysCommand && wParam == kSysMinimize) it->second.visible = false;
    return true;
}

void FakeHostSystem::hideWindow(WindowRef window) {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.visible = false;
}

std::unique_ptr<HostProcess> FakeHostSystem::openProcess(std::uint32_t access, std::uint32_t processId) {
    lastAccess = access;
    if (refuseOpen_ || !memory_.count(processId)) return nullptr;
    return std::make_unique<FakeProcess>(memory_[processId]);
}

std::unique_ptr<HostLibrary> FakeHostSystem::loadLibrary(const char* name) {
    loaded.push_back(name);
    auto it = libraries_.find(name);
    if (it == libraries_.end()) return nullptr;
    return std::make_unique<FakeLibrary>(it->second, libraryFrees);
}

}  // namespace twk::test
