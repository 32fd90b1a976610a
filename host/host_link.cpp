#include "host/host_link.h"

#include <algorithm>
#include <cstring>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/report.h"

namespace twk {

const char* const kMsgHostNotFound = "%s Not Found.";
const char* const kMsgButtonNotFound = "Search Button Not Found.";
const char* const kMsgStartPtrFallback =
    "”例のアレ”の自動取得に失敗したのでiniファイルのデータを使用します。";
const char* const kMsgOpenProcessFailed = "Error:OpenProcess";

const char* const kHostStatusWords[11] = {
    "仮想ファイル", "受可キャッシュ", "完全キャッシュ", "部分キャッシュ", "仮想スレッド", "自己スレッド",
    "書可スレッド", "書不スレッド",   "完読書スレッド", "更新スレッド",   "UPフォルダ内",
};

const char* const kStartPtrPluginName = "ap.dll";
const char* const kStartPtrExport = "AutoExec";
const char* const kReplacePluginName = "Replace.dll";
const char* const kReplaceExport = "ReplaceString";

namespace {

constexpr int kTextSize = 260;  // class names, window texts and search words
constexpr int kStatusField = 3;
// A record whose fields lie further apart than this is read field by field.
constexpr std::uint64_t kMaxSpan = 64 * 1024;
// The table is read in blocks that start small, so that a short table costs little, and double up to the
// largest; a collection of 1000 records of 10 KiB is then about a dozen reads.
constexpr std::size_t kFirstBlockBytes = 64 * 1024;
constexpr std::size_t kMaxBlockBytes = 1024 * 1024;
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

bool equalsAny(const char* text, const std::vector<std::string>& words) {
    for (const std::string& w : words)
        if (w == text) return true;
    return false;
}

bool isHostStatusWord(const char* text) {
    for (const char* w : kHostStatusWords)
        if (std::strcmp(w, text) == 0) return true;
    return false;
}

// Client coordinates packed as a mouse message wants them: x in the low word, y in the high word.
std::intptr_t clickPoint(std::int64_t x, std::int64_t y) {
    std::uint32_t packed =
        (static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF);
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(packed));
}

}  // namespace

int hostFieldReadSize(int field) {
    return RawRecord::capacity(field) - 1;
}

HostLink::HostLink(HostSystem& system, LayoutDefinitions& layout) : system_(system), layout_(layout) {}

WindowRef HostLink::findHostWindow() const {
    const std::string& title = layout_.vobraTitle;
    char buffer[kTextSize];
    for (WindowRef w = system_.topWindow(kNoWindow); w != kNoWindow; w = system_.nextWindow(w)) {
        buffer[0] = 0;
        system_.className(w, buffer, kTextSize);
        if (layout_.vobraClass != buffer) continue;
        buffer[0] = 0;
        system_.windowText(w, buffer, kTextSize);
        // The title is compared as a prefix: a shorter title never matches.
        if (std::strlen(buffer) < title.size()) continue;
        if (std::memcmp(buffer, title.data(), title.size()) == 0) return w;
    }
    return kNoWindow;
}

WindowRef HostLink::findSearchButton() const {
    WindowRef host = findHostWindow();
    if (host == kNoWindow) {
        errorBox(kMsgHostNotFound, layout_.vobraTitle.c_str());
        return kNoWindow;
    }
    char buffer[kTextSize];
    for (WindowRef c = system_.topWindow(host); c != kNoWindow; c = system_.nextWindow(c)) {
        buffer[0] = 0;
        system_.windowText(c, buffer, kTextSize);
        if (layout_.buttonTitle != buffer) continue;
        buffer[0] = 0;
        system_.className(c, buffer, kTextSize);
        if (layout_.buttonClass == buffer) return c;
    }
    errorBox("%s", kMsgButtonNotFound);
    return kNoWindow;
}

WindowRef HostLink::findHostCombo(int index) const {
    WindowRef host = findHostWindow();
    if (host == kNoWindow) return kNoWindow;
    char buffer[kTextSize];
    int match = 0;
    for (WindowRef c = system_.topWindow(host); c != kNoWindow; c = system_.nextWindow(c)) {
        buffer[0] = 0;
        system_.windowText(c, buffer, kTextSize);
        if (layout_.comboTitle != buffer) continue;
        buffer[0] = 0;
        system_.className(c, buffer, kTextSize);
        if (layout_.comboClass != buffer) continue;
        if (match == index) return system_.firstChild(c);
        ++match;
    }
    return kNoWindow;
}

bool HostLink::pressSearch() {
    WindowRef button = findSearchButton();
    if (button == kNoWindow) return false;
    WindowRef parent = system_.parentOf(button);
    // A visible host whose button is hidden shows another tab: a press would search from the wrong page.
    if (system_.isVisible(parent) && !system_.isVisible(button)) return false;
    std::uintptr_t id = static_cast<std::uint16_t>(system_.controlId(button));
    system_.sendMessage(parent, kMsgCommand, id | (static_cast<std::uintptr_t>(kButtonClicked) << 16),
                        static_cast<std::intptr_t>(button));
    return true;
}

bool HostLink::clickHostTabs(int first, int second, int restoreHidden) {
    WindowRef button = findSearchButton();
    if (button == kNoWindow) return false;
    WindowRef target = system_.parentOf(button);
    if (target == kNoWindow) return false;
    bool wasHidden = false;
    if (restoreHidden == 1) {
        wasHidden = !system_.isVisible(target);
        if (wasHidden)
            system_.sendMessage(target, kMsgCommand, static_cast<std::uintptr_t>(layout_.menuId), 0);
    }
    // 64-bit arithmetic: a wild width from the definitions file must not overflow.
    const std::int64_t w = layout_.tabWidth;
    const std::int64_t h = layout_.tabHeight;
    auto click = [&](std::int64_t x, std::int64_t y) {
        std::intptr_t point = clickPoint(x, y);
        system_.sendMessage(target, kMsgLButtonDown, 0, point);
        system_.sendMessage(target, kMsgLButtonUp, 0, point);
    };
    if (first > 0) click(w * first - w / 2, h - h / 2);
    if (second > 0) click(w * second - w / 2, 2 * h - h / 2);
    if (restoreHidden == 1 && wasHidden) system_.postMessage(target, kMsgSysCommand, kSysMinimize, 0);
    return true;
}

void HostLink::toggleHostWindow() {
    WindowRef button = findSearchButton();
    if (button == kNoWindow) return;
    WindowRef host = system_.parentOf(button);
    if (host == kNoWindow) return;
    if (!system_.isVisible(host))
        system_.sendMessage(host, kMsgCommand, static_cast<std::uintptr_t>(layout_.menuId), 0);
    else
        system_.hideWindow(host);
}

bool HostLink::readSearchWord(int comboIndex, std::string& word) {
    WindowRef edit = findHostCombo(comboIndex);
    if (edit == kNoWindow) return false;
    char buffer[kTextSize] = {};
    system_.sendMessage(edit, kMsgGetText, kTextSize, reinterpret_cast<std::intptr_t>(buffer));
    buffer[kTextSize - 1] = 0;
    word = buffer;
    return true;
}

bool HostLink::writeSearchWord(int comboIndex, const char* word) {
    WindowRef edit = findHostCombo(comboIndex);
    if (edit == kNoWindow) return false;
    system_.sendMessage(edit, kMsgSetText, 0, reinterpret_cast<std::intptr_t>(word));
    return true;
}

void HostLink::resolveStartPtr(WindowRef searchButton) {
    std::uint32_t found = 0;
    if (auto lib = system_.loadLibrary(kStartPtrPluginName)) {
        if (auto proc = reinterpret_cast<AutoExecProc>(lib->findExport(kStartPtrExport)))
            found = proc(searchButton);
    }
    if (found != 0) {
        layout_.startPtr = found;
        return;
    }
    if (options_.noDialog == 0) errorBox("%s", kMsgStartPtrFallback);
    layout_.startPtr = options_.storedStartPtr ? options_.storedStartPtr() : kDefaultStartPtr;
}

int HostLink::readHostResults(const std::vector<std::string>& acceptedWords, EntryList& target, int& seen,
                              int mode) {
    seen = 0;
    WindowRef button = findSearchButton();
    if (button == kNoWindow) return -1;
    if (layout_.startPtr == 0) resolveStartPtr(button);
    std::unique_ptr<HostProcess> process = system_.openProcess(kHostProcessAccess, system_.processId(button));
    if (!process) {
        errorBox("%s", kMsgOpenProcessFailed);
        return -1;
    }
    return walk(*process, acceptedWords, target, seen, mode);
}

bool HostLink::readFields(HostProcess& process, std::uint32_t base, RawRecord& raw) {
    for (int j = 0; j < 8; ++j) {
        std::uint32_t address = base + layout_.stepOffsets[j];
        if (!process.read(address, raw.field(j), static_cast<std::size_t>(hostFieldReadSize(j))))
            return false;
    }
    return true;
}

std::uint32_t HostLink::lowestOffset() const {
    return *std::min_element(std::begin(layout_.stepOffsets), std::end(layout_.stepOffsets));
}

void HostLink::copyFields(const char* span, RawRecord& raw) const {
    const std::uint32_t low = lowestOffset();
    for (int j = 0; j < 8; ++j)
        std::memcpy(raw.field(j), span + (layout_.stepOffsets[j] - low),
                    static_cast<std::size_t>(hostFieldReadSize(j)));
}

bool HostLink::readRecord(HostProcess& process, std::uint32_t base, RawRecord& raw) {
    if (!span_.empty()) {
        std::uint32_t start = base + lowestOffset();
        // One read of the whole record, unless its span wraps around the address space (then the fields'
        // addresses wrap one by one, which a single read cannot follow).
        if (static_cast<std::uint64_t>(start) + span_.size() <= kAddressSpace &&
            process.read(start, span_.data(), span_.size())) {
            copyFields(span_.data(), raw);
            return true;
        }
    }
    return readFields(process, base, raw);
}

bool HostLink::readFromBlock(HostProcess& process, std::int32_t index, std::uint32_t base, RawRecord& raw) {
    const std::uint64_t stride = layout_.nextStep;
    if (index >= blockEnd_) {
        // Records overlapping, lying far apart or walking backwards are read one by one.
        std::int32_t count = 1;
        if (stride > 0 && stride <= kMaxBlockBytes && nextBlockBytes_ > span_.size())
            count = static_cast<std::int32_t>((nextBlockBytes_ - span_.size()) / stride + 1);
        count = std::min(count, layout_.maxItem - index);
        const std::uint64_t bytes = (count - 1) * stride + span_.size();
        const std::uint32_t start = base + lowestOffset();
        blockFirst_ = index;
        blockEnd_ = index + count;
        blockRead_ = false;
        if (count > 1 && start + bytes <= kAddressSpace) {
            if (block_.size() < bytes) block_.resize(static_cast<std::size_t>(bytes));
            blockRead_ = process.read(start, block_.data(), static_cast<std::size_t>(bytes));
        }
        nextBlockBytes_ = std::min(nextBlockBytes_ * 2, kMaxBlockBytes);
    }
    if (!blockRead_) return readRecord(process, base, raw);
    copyFields(block_.data() + static_cast<std::size_t>(index - blockFirst_) * stride, raw);
    return true;
}

int HostLink::walk(HostProcess& process, const std::vector<std::string>& words, EntryList& target, int& seen,
                   int mode) {
    RawRecord raw;
    std::memset(&raw, 0, sizeof raw);  // every field's last byte stays 0 for the whole walk
    char* status = raw.field(kStatusField);
    if (!process.read(layout_.startPtr + layout_.stepOffsets[kStatusField], status,
                      static_cast<std::size_t>(hostFieldReadSize(kStatusField))))
        return -1;
    seen = 0;
    if (!isHostStatusWord(status)) return 0;

    span_.clear();
    if (options_.method == ReadMethod::TableReads) {
        std::uint64_t low = ~std::uint64_t{0}, high = 0;
        for (int j = 0; j < 8; ++j) {
            low = std::min<std::uint64_t>(low, layout_.stepOffsets[j]);
            high =
                std::max<std::uint64_t>(high, std::uint64_t{layout_.stepOffsets[j]} + hostFieldReadSize(j));
        }
        if (high - low <= kMaxSpan) span_.resize(static_cast<std::size_t>(high - low));
    }
    blockFirst_ = blockEnd_ = 0;
    blockRead_ = false;
    nextBlockBytes_ = kFirstBlockBytes;
    const bool blocks = !span_.empty();

    ReplaceStringProc replace = nullptr;
    std::unique_ptr<HostLibrary> replaceLib = system_.loadLibrary(kReplacePluginName);
    if (replaceLib) replace = reinterpret_cast<ReplaceStringProc>(replaceLib->findExport(kReplaceExport));

    BulkUpdate bulk(target.view());
    std::uint32_t base = layout_.startPtr;
    int added = 0;
    // The rows collected stay, each whole; the first one that finds no memory ends the cycle, so that the
    // message is shown once and not once a row.
    const int failures = allocationFailuresReported();
    for (std::int32_t i = 0; i < layout_.maxItem && allocationFailuresReported() == failures;
         ++i, base += layout_.nextStep) {
        const bool read = blocks ? readFromBlock(process, i, base, raw) : readFields(process, base, raw);
        if (!read || raw.name[0] == 0) break;
        if (!equalsAny(status, words)) continue;
        if (replace) {
            replace(raw.name, kRawNameCap);
            raw.name[kRawNameCap - 1] = 0;  // a plug-in that fills the whole field must not unterminate it
        }
        ++seen;
        if (target.kind() != ListKind::Bbs && options_.router &&
            options_.router->routeAway(raw, target, mode))
            continue;
        if (target.addRawRecord(raw, mode) == 1) ++added;
    }
    return added;
}

}  // namespace twk
