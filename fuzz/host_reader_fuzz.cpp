// The result reader on arbitrary host memory and layouts: it must never read outside what the host gave,
// never leave a field unterminated, and keep the list's counts consistent, also when the memory changes under
// it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/entry_list.h"
#include "host/host_link.h"

namespace {

using namespace twk;

constexpr std::uint32_t kBase = 0x00400000;

class FuzzProcess : public HostProcess {
  public:
    FuzzProcess(std::vector<unsigned char>& memory, unsigned mutateEvery)
        : memory_(memory), mutateEvery_(mutateEvery) {}
    bool read(std::uint32_t address, void* buffer, std::size_t size) override {
        // The host rewrites a byte of its table now and then while it is being read.
        if (mutateEvery_ && ++reads_ % mutateEvery_ == 0 && !memory_.empty())
            memory_[(reads_ * 7919u) % memory_.size()] ^= static_cast<unsigned char>(reads_);
        if (address < kBase) return false;
        std::uint64_t from = address - kBase;
        if (from + size > memory_.size()) return false;
        std::memcpy(buffer, memory_.data() + from, size);
        return true;
    }

  private:
    std::vector<unsigned char>& memory_;
    unsigned mutateEvery_;
    unsigned reads_ = 0;
};

class FuzzHost : public HostSystem {
  public:
    FuzzHost(std::vector<unsigned char>& memory, unsigned mutateEvery)
        : memory_(memory), mutate_(mutateEvery) {}
    WindowRef topWindow(WindowRef parent) const override {
        return parent == kNoWindow ? 1 : parent == 1 ? 2 : 0;
    }
    WindowRef nextWindow(WindowRef) const override { return kNoWindow; }
    WindowRef firstChild(WindowRef w) const override { return topWindow(w); }
    WindowRef parentOf(WindowRef w) const override { return w == 2 ? 1 : 0; }
    int className(WindowRef w, char* b, int n) const override {
        return copy(w == 1 ? "#32770" : "Button", b, n);
    }
    int windowText(WindowRef w, char* b, int n) const override {
        return copy(w == 1 ? "Vobra v1" : "検索", b, n);
    }
    bool isVisible(WindowRef) const override { return true; }
    int controlId(WindowRef) const override { return 1001; }
    std::uint32_t processId(WindowRef) const override { return 7; }
    std::intptr_t sendMessage(WindowRef, unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
    bool postMessage(WindowRef, unsigned, std::uintptr_t, std::intptr_t) override { return true; }
    void hideWindow(WindowRef) override {}
    std::unique_ptr<HostProcess> openProcess(std::uint32_t, std::uint32_t) override {
        return std::make_unique<FuzzProcess>(memory_, mutate_);
    }
    std::unique_ptr<HostLibrary> loadLibrary(const char*) override { return nullptr; }
    int enableDebugPrivilege() override { return 0; }

  private:
    static int copy(const char* s, char* b, int n) {
        std::strncpy(b, s, static_cast<std::size_t>(n - 1));
        b[n - 1] = 0;
        return static_cast<int>(std::strlen(b));
    }
    std::vector<unsigned char>& memory_;
    unsigned mutate_;
};

std::uint32_t u16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 24;
    if (size < kHeader) return 0;
    LayoutDefinitions layout;
    for (int j = 0; j < 8; ++j) layout.stepOffsets[j] = u16(data + 2 * j) % 2048;
    layout.nextStep = u16(data + 16) % 4096;
    if (data[18] & 0x80) layout.nextStep = 0u - layout.nextStep;  // backwards or wrapping strides
    layout.maxItem = static_cast<std::int8_t>(data[19]);
    layout.fileStates = {"完全キャッシュ", "部分キャッシュ"};
    const ReadMethod method = (data[20] & 1) ? ReadMethod::TableReads : ReadMethod::FieldReads;
    const unsigned mutateEvery = data[21] % 8;
    layout.startPtr = kBase + u16(data + 22) % 256;
    std::vector<unsigned char> memory(data + kHeader, data + size);

    FuzzHost host(memory, mutateEvery);
    HostLink link(host, layout);
    link.options().method = method;
    link.options().noDialog = 1;
    EntryList list(ListKind::Normal);
    int seen = -1;
    int added = link.readHostResults(layout.fileStates, list, seen, data[20] & 2 ? 1 : 0);
    if (added < -1 || seen < 0 || added > seen || (added >= 0 && list.count() != added)) std::abort();
    if (seen > (layout.maxItem > 0 ? layout.maxItem : 0)) std::abort();
    for (int i = 0; i < list.count(); ++i) {
        const Entry* e = list.entryAt(i);
        if (e->name().size() > 259 || std::strlen(e->hash()) > 35 || std::strlen(e->status()) > 19)
            std::abort();
    }
    return 0;
}
