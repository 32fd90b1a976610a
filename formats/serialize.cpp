#include "formats/serialize.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "core/entry_list.h"
#include "core/progress.h"

namespace twk {

void HashSet::add(std::string_view hash) {
    if (contains(hash)) return;
    storage_.emplace_back(hash);
    index_.insert(storage_.back());
}

namespace {

constexpr char kCrLf[] = "\r\n";

struct HostLine {
    const char* kindField;  // between the name and the hash
    const char* tail;       // after the hash
};

// The middle and end of each host form's line: N <middle> H <tail> CR LF.
bool hostLine(int form, HostLine* line) {
    switch (form) {
        case DownloadForm:
            *line = {",,0,0,", ",1"};
            return true;
        case DownloadBbsForm:
            *line = {",BBS,0,0,", ",1"};
            return true;
        case IgnoreForm:
            *line = {",,0,0,", ",0,1,1"};
            return true;
        case IgnoreBbsForm:
            *line = {",BBS,0,0,", ",0,1,1"};
            return true;
        default:
            return false;
    }
}

bool knownForm(int form) {
    switch (form) {
        case ListForm:
        case NameForm:
        case HashForm:
        case DownloadForm:
        case DownloadBbsForm:
        case IgnoreForm:
        case IgnoreBbsForm:
        case TripForm:
        case KeyInfoForm:
            return true;
        default:
            return false;
    }
}

// Measures (out == nullptr) or writes one row's line; returns its length.
class LineWriter {
  public:
    explicit LineWriter(char* out) : out_(out) {}
    std::size_t written() const { return n_; }

    void put(const char* s, std::size_t len) {
        if (out_) std::memcpy(out_ + n_, s, len);
        n_ += len;
    }
    void put(const char* s) { put(s, std::strlen(s)); }
    void put(std::string_view s) { put(s.data(), s.size()); }
    void put(char c) {
        if (out_) out_[n_] = c;
        ++n_;
    }
    // The name as the host's files take it.
    void putHostName(std::string_view name) {
        std::size_t len = name.size() < kHostNameBytes ? name.size() : kHostNameBytes;
        if (out_) {
            char* d = out_ + n_;
            for (std::size_t i = 0; i < len; ++i) d[i] = name[i] == ',' ? ' ' : name[i];
        }
        n_ += len;
    }

  private:
    char* out_;
    std::size_t n_ = 0;
};

void writeLine(const Entry& e, int form, LineWriter& w) {
    HostLine host;
    switch (form) {
        case ListForm: {
            const char* fixed[7] = {e.trip(),       e.size(), e.status(), e.refAmount(),
                                    e.updateTime(), e.ver(),  e.hash()};
            w.put(e.name());
            for (const char* f : fixed) {
                w.put('\t');
                w.put(f);
            }
            for (int i = 0, n = e.extraCount(); i < n; ++i) {
                w.put('\t');
                w.put(e.extra(i));
            }
            break;
        }
        case NameForm:
            w.put(e.name());
            break;
        case HashForm:
            w.put(e.hash());
            break;
        case TripForm:
            w.put(e.trip());
            break;
        case KeyInfoForm:
            w.put(e.name());
            w.put(' ');
            w.put(e.trip());
            w.put(' ');
            w.put(e.size());
            w.put(' ');
            w.put(e.hash());
            break;
        default:
            if (!hostLine(form, &host)) return;
            w.putHostName(e.name());
            w.put(host.kindField);
            w.put(e.hash());
            w.put(host.tail);
            break;
    }
    w.put(kCrLf, 2);
}

// Calls f(entry) for every row that qualifies, in display order.
template <class F>
void forEachWritten(const EntryList& list, bool selectedOnly, const HashSet* excluded, F&& f) {
    const PageArray& pages = list.displayPages();
    for (int p = 0; p < pages.pageCount(); ++p) {
        for (int s = 0, n = pages.pageSize(p); s < n; ++s) {
            const Entry& e = *pages.get(PageArray::Slot{p, s});
            if (selectedOnly && e.selected == 0) continue;
            if (excluded && excluded->contains(std::string_view(e.hash()))) continue;
            f(e);
        }
    }
}

}  // namespace

SerializedRows serializeRows(const EntryList& list, int form, const HashSet* excluded) {
    SerializedRows result;
    const bool selectedOnly = (form & SelectedOnly) != 0;
    const int lineForm = form & ~SelectedOnly;
    if (!knownForm(lineForm)) return result;
    if (excluded && excluded->size() == 0) excluded = nullptr;

    // How far the two passes have come, every so many rows: the first counts up to the list's rows, the
    // second the rest of the way.
    constexpr int kRowsPerReport = 4096;
    const std::uint64_t rows = static_cast<std::uint64_t>(list.count());
    std::size_t total = 0;
    int measured = 0;
    forEachWritten(list, selectedOnly, excluded, [&](const Entry& e) {
        LineWriter measure(nullptr);
        writeLine(e, lineForm, measure);
        total += measure.written();
        if (++measured % kRowsPerReport == 0) reportProgress(static_cast<std::uint64_t>(measured), 2 * rows);
    });
    if (total == 0) return result;

    result.block.reset(new (std::nothrow) char[total + 1]);
    if (!result.block) {
        result.noMemory = true;
        return result;
    }
    LineWriter out(result.block.get());
    int lines = 0;
    forEachWritten(list, selectedOnly, excluded, [&](const Entry& e) {
        writeLine(e, lineForm, out);
        if (++lines % kRowsPerReport == 0)
            reportProgress(
                rows + rows * static_cast<std::uint64_t>(lines) / static_cast<std::uint64_t>(measured),
                2 * rows);
    });
    result.block[total] = 0;
    result.length = total;
    result.lines = lines;
    return result;
}

}  // namespace twk
