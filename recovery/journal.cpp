#include "recovery/journal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <unordered_map>
#include <vector>

#include "core/entry_list.h"
#include "core/list_observer.h"
#include "core/platform.h"
#include "core/progress.h"
#include "core/report.h"
#include "formats/file_io.h"
#include "recovery/journal_format.h"

namespace twk {

const char* const kJournalFolderName = "Recovery";
const char* const kJournalFileName = "journal.twj";
const char* const kJournalOlderFileName = "journal.1.twj";
const char* const kJournalSetAsidePrefix = "unusable-";

const char* const kMsgJournalQuestion = "保存されずに終わったリストが%d件あります。復元しますか？";
const char* const kMsgJournalFixedRestored = "無視リスト・BBSリスト・条件を前回の終了前の状態に戻しました";
const char* const kMsgJournalSetAside = "復元用の記録が読めないため %s に移しました";

bool JournalFindings::hasFixed() const {
    return ignoreList.rows || bbsList.rows || hasConditions;
}

void takeRecoveredRows(EntryList& into, EntryList& from, const std::function<void()>& emptied) {
    into.clear();
    if (emptied) emptied();
    into.setSortState(from.sortColumn(), from.sortDescending());
    into.takeRows(from);
    into.setPath(from.path());
    into.setModified(true);
    if (into.count() > 0) into.purgeDependents();
}

namespace {

using namespace journal;

// A point's records are cut into pieces of about this size; a rewrite writes its bytes out in such pieces.
constexpr std::size_t kPieceBytes = std::size_t(1) << 20;
// The journal is rewritten when it holds more than twice the lists' text (and at least this much) ...
constexpr std::uint64_t kCompactFloor = std::uint64_t(1) << 20;
// ... at most once in this many seconds.
constexpr long long kCompactSeconds = 300;
// A rewrite that failed is tried again after this many seconds.
constexpr long long kRetrySeconds = 30;

long long secondsOf(const LocalTime& t) {
    // Days from 1970-01-01 of a civil date.
    const int y = t.year - (t.month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// A pending change of a list, in the order it happened.
struct Op {
    std::uint8_t kind;  // an EditOp
    int position = 0;   // Insert, Remove; the row count of Marks
    // The row whose texts the op carries (Insert, Texts) until they are copied into the part's bytes.
    const Entry* row = nullptr;
    std::uint32_t at = 0, length = 0;           // the copied row, or Marks' bitmap, in the part's bytes
    int column = 0, descending = 0, month = 0;  // Sort
};

// Where the reader takes the journal file from: read once to check and once to apply.
class FileSource : public JournalBytes {
  public:
    explicit FileSource(std::string path) : path_(std::move(path)) {}
    FileReadStatus open() {
        const FileReadStatus s = file_.open(path_, static_cast<std::size_t>(-1));
        size_ = file_.size();
        return s;
    }
    std::uint64_t size() const override { return size_; }
    bool rewind() override {
        return file_.open(path_, static_cast<std::size_t>(-1)) == FileReadStatus::Ok && file_.size() == size_;
    }
    bool read(char* out, std::size_t n) override { return file_.read(out, n); }
    void close() { file_.close(); }

  private:
    std::string path_;
    InputFile file_;
    std::uint64_t size_ = 0;
};

}  // namespace

class Journal::Impl {
  public:
    // One attached list: what the file holds of it, and its changes since the last point.
    struct Part final : ListObserver {
        Impl* owner = nullptr;
        EntryList* list = nullptr;  // null once detached or gone
        std::uint32_t id = 0;
        std::string title;
        bool detached = false;
        bool gone = false;  // the list was destroyed while attached: its part stays as the file has it

        bool inJournal = false;  // the file holds a part of it (a Reset, not dropped since)
        bool stateModified = false;
        int stateColumn = 0, stateDescending = 0;
        std::string stateTitle, statePath;
        std::uint64_t textBytes = 0;  // about how many bytes its rows take in the file

        // Changes since the last point. `reset`: only the list as it is will do (or it is not in the file).
        bool reset = false;
        bool marksDirty = false;
        std::vector<Op> ops;
        std::string bytes;  // rows and bitmaps copied out of the list for the ops
        // The ops that still refer to a row of the list, by row (made when first needed).
        std::unordered_map<const Entry*, std::size_t> waiting;
        std::size_t indexed = 0;

        void clearChanges() {
            reset = false;
            marksDirty = false;
            ops.clear();
            bytes.clear();
            waiting.clear();
            indexed = 0;
        }
        bool changed() const { return reset || marksDirty || !ops.empty(); }
        // Whether the change can be dropped because the next point takes the whole list anyway.
        bool wholeListNext() {
            if (!reset && inJournal) return false;
            reset = true;
            return true;
        }
        void copyRow(Op& op) {
            op.at = static_cast<std::uint32_t>(bytes.size());
            RecordWriter w(bytes);
            op.length = static_cast<std::uint32_t>(w.row(*op.row));
            op.row = nullptr;
        }
        // The op still waiting for this row's texts takes them now, before they change or the row goes.
        void settle(const Entry& row) {
            for (; indexed < ops.size(); ++indexed)
                if (ops[indexed].row) waiting[ops[indexed].row] = indexed;
            auto it = waiting.find(&row);
            if (it == waiting.end()) return;
            copyRow(ops[it->second]);
            waiting.erase(it);
        }
        void pushMarks() {
            Op op{kMarks};
            op.position = list->count();
            op.at = static_cast<std::uint32_t>(bytes.size());
            op.length = static_cast<std::uint32_t>((list->count() + 7) / 8);
            bytes.append(op.length, '\0');
            char* bits = &bytes[op.at];
            const PageArray& pages = list->displayPages();
            std::size_t k = 0;
            for (int page = 0; page < pages.pageCount(); ++page)
                for (int slot = 0; slot < pages.pageSize(page); ++slot, ++k)
                    if (pages.get(PageArray::Slot{page, slot})->isMarked())
                        bits[k >> 3] = static_cast<char>(bits[k >> 3] | (1 << (k & 7)));
            ops.push_back(op);
            marksDirty = false;
        }
        // Runs a change; memory that runs out turns it into "the whole list next time".
        template <class F>
        void guarded(F&& f) noexcept {
            owner->touched();
            if (wholeListNext()) return;
            try {
                f();
            } catch (const std::bad_alloc&) {
                clearChanges();
                reset = true;
            }
        }

        void rowInserted(int position, const Entry& row) override {
            guarded([&] {
                Op op{kInsert};
                op.position = position;
                op.row = &row;
                ops.push_back(op);
                if (row.isMarked()) marksDirty = true;
            });
        }
        void rowRemoved(int position, const Entry& row) override {
            guarded([&] {
                settle(row);
                Op op{kRemove};
                op.position = position;
                ops.push_back(op);
                textBytes -= textBytes / (static_cast<std::uint64_t>(list->count()) + 1);
            });
        }
        void rowsReset() override {
            owner->touched();
            clearChanges();
            reset = true;
        }
        void rowsSorting(int column, int descending, int month) override {
            guarded([&] {
                if (marksDirty) pushMarks();
                Op op{kSort};
                op.column = column;
                op.descending = descending;
                op.month = month;
                ops.push_back(op);
            });
        }
        void rowTextsChanging(const Entry& row) override {
            guarded([&] { settle(row); });
        }
        void rowTextsChanged(const Entry& row) override {
            guarded([&] {
                Op op{kTexts};
                op.row = &row;
                ops.push_back(op);
            });
        }
        void marksChanged() override {
            owner->touched();
            marksDirty = true;
        }
        void listGone() override {
            list = nullptr;
            gone = true;
            clearChanges();
        }
    };

    Impl(const Clock& clock) : clock_(clock) {}
    ~Impl() {
        for (auto& p : parts_)
            if (p->list) p->list->setObserver(nullptr);
    }

    const Clock& clock_;
    std::string folder_, file_;
    std::vector<std::unique_ptr<Part>> parts_;
    std::uint32_t nextId_ = 1;
    std::function<void()> changed_;
    bool signalled_ = false;

    bool conditionsKept_ = false;  // the file holds conditions
    bool conditionsDirty_ = false;
    bool conditionsPresent_ = false;
    std::string conditions_;

    OutputFile out_;
    bool open_ = false;
    std::uint64_t fileBytes_ = 0;
    std::string pending_;  // a point not yet written
    std::uint64_t pointNo_ = 0;
    bool unflushed_ = false;
    bool rewrite_ = true;   // the next point rewrites the file
    bool oldFile_ = false;  // a journal of an earlier run is on the disk
    bool blocked_ = false;  // an unusable journal could not be set aside: nothing is written
    bool ended_ = false;
    bool failing_ = false;
    bool reported_ = false;
    long long lastRewrite_ = 0;
    long long retryAt_ = 0;
    bool rewroteOnce_ = false;

    long long now() const { return secondsOf(clock_.now()); }

    void touched() {
        if (signalled_ || ended_) return;
        signalled_ = true;
        if (changed_) changed_();
    }

    Part* find(const EntryList& list) {
        for (auto& p : parts_)
            if (p->list == &list) return p.get();
        return nullptr;
    }

    void fault(const std::string& path) {
        failing_ = true;
        if (!reported_) showMessage(kMsgCannotWrite, path.c_str());
        reported_ = true;
    }

    static bool wanted(const Part& p) { return p.list && p.list->modified(); }

    bool stateDiffers(const Part& p) const {
        const EntryList& l = *p.list;
        return p.stateModified != l.modified() || p.stateColumn != l.sortColumn() ||
               p.stateDescending != l.sortDescending() || p.stateTitle != p.title || p.statePath != l.path();
    }

    std::uint64_t liveBytes() const {
        std::uint64_t n = conditions_.size();
        for (auto& p : parts_)
            if (p->inJournal) n += p->textBytes;
        return n;
    }

    bool pointPending() const {
        if (ended_ || blocked_) return false;
        if (!pending_.empty() || conditionsDirty_) return true;
        if (rewrite_ && oldFile_) return true;
        for (auto& p : parts_) {
            if (p->detached) {
                if (p->inJournal) return true;
                continue;
            }
            if (!p->list) continue;
            const bool want = wanted(*p);
            if (want != p->inJournal) return true;
            if (want && (p->changed() || stateDiffers(*p))) return true;
        }
        return false;
    }

    // --- Records
    // ----------------------------------------------------------------------------------------------

    void writeState(Part& p, std::string& out) {
        const EntryList& l = *p.list;
        RecordWriter w(out);
        w.begin(kListState);
        w.varint(p.id);
        w.byte(l.modified() ? 1 : 0);
        w.varint(static_cast<std::uint64_t>(l.sortColumn()));
        w.byte(static_cast<std::uint8_t>(l.sortDescending()));
        w.text(p.title);
        w.text(l.path());
        w.end();
        p.stateModified = l.modified();
        p.stateColumn = l.sortColumn();
        p.stateDescending = l.sortDescending();
        p.stateTitle = p.title;
        p.statePath = l.path();
    }

    void writeDrop(Part& p, std::string& out) {
        RecordWriter w(out);
        w.begin(kDrop);
        w.varint(p.id);
        w.end();
        p.inJournal = false;
        p.textBytes = 0;
    }

    // The whole list: Reset, its rows, its marks, its state. `spill` may write `out` away between pieces.
    template <class Spill>
    void writeWhole(Part& p, std::string& out, Spill&& spill) {
        const EntryList& l = *p.list;
        RecordWriter w(out);
        w.begin(kReset);
        w.varint(p.id);
        w.byte(static_cast<std::uint8_t>(l.kind()));
        w.varint(static_cast<std::uint64_t>(l.sortColumn()));
        w.byte(static_cast<std::uint8_t>(l.sortDescending()));
        w.end();
        std::uint64_t rowBytes = 0;
        bool open = false, marked = false;
        const PageArray& pages = l.displayPages();
        for (int page = 0; page < pages.pageCount(); ++page) {
            for (int slot = 0; slot < pages.pageSize(page); ++slot) {
                const Entry& e = *pages.get(PageArray::Slot{page, slot});
                if (!open) {
                    w.begin(kRows);
                    w.varint(p.id);
                    open = true;
                }
                rowBytes += w.row(e);
                marked |= e.isMarked();
                if (w.recordBytes() >= kPieceBytes) {
                    w.end();
                    open = false;
                    spill();
                }
            }
        }
        if (open) w.end();
        p.inJournal = true;
        p.textBytes = rowBytes;
        p.clearChanges();
        if (marked) {
            pushMarksAndWrite(p, out);
        }
        writeState(p, out);
    }

    void pushMarksAndWrite(Part& p, std::string& out) {
        p.pushMarks();
        writeEdits(p, out);
        p.clearChanges();
    }

    void writeEdits(Part& p, std::string& out) {
        RecordWriter w(out);
        bool open = false;
        for (Op& op : p.ops) {
            if (op.row) p.copyRow(op);
            if (!open) {
                w.begin(kEdits);
                w.varint(p.id);
                open = true;
            }
            w.byte(op.kind);
            switch (op.kind) {
                case kInsert:
                    w.varint(static_cast<std::uint64_t>(op.position));
                    w.bytes(p.bytes.data() + op.at, op.length);
                    p.textBytes += op.length;
                    break;
                case kRemove:
                    w.varint(static_cast<std::uint64_t>(op.position));
                    break;
                case kTexts:
                    w.bytes(p.bytes.data() + op.at, op.length);
                    break;
                case kSort:
                    w.varint(static_cast<std::uint64_t>(op.column));
                    w.byte(static_cast<std::uint8_t>(op.descending));
                    w.byte(static_cast<std::uint8_t>(op.month));
                    break;
                case kMarks:
                    w.varint(static_cast<std::uint64_t>(op.position));
                    w.bytes(p.bytes.data() + op.at, op.length);
                    break;
                default:
                    break;
            }
            if (w.recordBytes() >= kPieceBytes) {
                w.end();
                open = false;
            }
        }
        if (open) w.end();
    }

    // What changed of one part since the last point.
    void writeChanges(Part& p, std::string& out) {
        if (p.detached) {
            if (p.inJournal) writeDrop(p, out);
            return;
        }
        if (!p.list) return;  // gone: the file keeps what it has
        if (!wanted(p)) {
            if (p.inJournal) writeDrop(p, out);
            p.clearChanges();
            return;
        }
        if (!p.inJournal || p.reset) {
            writeWhole(p, out, [] {});
            return;
        }
        if (p.marksDirty) p.pushMarks();
        if (!p.ops.empty()) writeEdits(p, out);
        p.clearChanges();
        if (stateDiffers(p)) writeState(p, out);
    }

    void writeConditions(std::string& out) {
        RecordWriter w(out);
        w.begin(kConditions);
        w.byte(conditionsPresent_ ? 1 : 0);
        w.text(conditionsPresent_ ? conditions_ : std::string());
        w.end();
        conditionsKept_ = conditionsPresent_;
        conditionsDirty_ = false;
    }

    void writeCommit(std::string& out) {
        RecordWriter w(out);
        w.begin(kCommit);
        w.varint(++pointNo_);
        w.end();
    }

    void forgetDetached() {
        std::vector<std::unique_ptr<Part>> kept;
        for (auto& p : parts_)
            if (!p->detached) kept.push_back(std::move(p));
        parts_.swap(kept);
    }

    // Every part as "the whole list next time": after a rewrite that failed, or a point that could not be
    // kept.
    void wholeListsNext() {
        pending_.clear();
        for (auto& p : parts_) {
            p->clearChanges();
            p->reset = true;
        }
        if (conditionsPresent_ || conditionsKept_) conditionsDirty_ = true;
        rewrite_ = true;
    }

    // --- Points
    // -----------------------------------------------------------------------------------------------

    void point() {
        if (ended_ || blocked_) return;
        const long long t = now();
        signalled_ = false;
        if (t < lastRewrite_) lastRewrite_ = t;  // the clock went back
        const bool compact = open_ && rewroteOnce_ && t - lastRewrite_ >= kCompactSeconds &&
                             fileBytes_ > 2 * std::max<std::uint64_t>(liveBytes(), kCompactFloor);
        if (rewrite_ || !open_ || compact) {
            if (failing_ && t < retryAt_) return;
            rewrite(t);
            return;
        }
        try {
            const std::size_t before = pending_.size();
            for (auto& p : parts_) writeChanges(*p, pending_);
            if (conditionsDirty_) writeConditions(pending_);
            if (pending_.size() > before) writeCommit(pending_);
        } catch (const std::bad_alloc&) {
            wholeListsNext();
            return;
        }
        forgetDetached();
        if (pending_.empty()) return;
        if (!out_.write(pending_.data(), pending_.size())) {
            fault(file_);
            if (!out_.cutTo(fileBytes_)) {
                out_.close();
                open_ = false;
                wholeListsNext();
            } else if (pending_.size() > 2 * std::max<std::uint64_t>(liveBytes(), kCompactFloor)) {
                wholeListsNext();  // the lists themselves are shorter than what waits
            }
            return;
        }
        fileBytes_ += pending_.size();
        pending_.clear();
        unflushed_ = true;
        failing_ = false;
        reported_ = false;
    }

    // Writes the file anew from the lists: into a temporary file, flushed, then moved over the journal.
    void rewrite(long long t) {
        lastRewrite_ = t;
        rewroteOnce_ = true;
        retryAt_ = t + kRetrySeconds;
        pending_.clear();
        forgetDetached();
        bool any = conditionsPresent_;
        for (auto& p : parts_) any |= wanted(*p) || (p->gone && p->inJournal);
        if (open_) {
            out_.close();
            open_ = false;
        }
        if (!any) {
            // Nothing to keep: no journal at all.
            if (pathExists(file_) && !removeFile(file_)) {
                fault(file_);
                return;
            }
            for (auto& p : parts_) {
                p->clearChanges();
                p->inJournal = false;
            }
            conditionsKept_ = false;
            conditionsDirty_ = false;
            rewrite_ = false;
            oldFile_ = false;
            failing_ = false;
            reported_ = false;
            fileBytes_ = 0;
            return;
        }
        const std::string temp = file_ + kReplaceSuffix;
        OutputFile out;
        bool ok = makeFolder(folder_) && !isReadOnlyFile(file_) && out.create(temp);
        std::uint64_t written = 0;
        try {
            std::string buf = header();
            auto spill = [&] {
                if (ok && buf.size() >= kPieceBytes) {
                    ok = out.write(buf.data(), buf.size());
                    written += buf.size();
                    buf.clear();
                }
            };
            for (auto& p : parts_) {
                if (!ok) break;
                if (wanted(*p)) {
                    writeWhole(*p, buf, spill);
                } else {
                    p->clearChanges();
                    p->inJournal = false;
                }
            }
            if (conditionsPresent_) writeConditions(buf);
            writeCommit(buf);
            if (ok) ok = out.write(buf.data(), buf.size());
            written += buf.size();
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        if (ok) ok = out.commit();
        out.close();
        if (ok) ok = moveFileReplacing(temp, file_);
        if (!ok) {
            removeFile(temp);
            fault(file_);
            wholeListsNext();
            return;
        }
        oldFile_ = false;
        rewrite_ = false;
        conditionsKept_ = conditionsPresent_;
        conditionsDirty_ = false;
        unsigned long long length = 0;
        if (!out_.openShared(file_, &length) || length != written) {
            out_.close();
            fault(file_);
            wholeListsNext();
            return;
        }
        open_ = true;
        fileBytes_ = length;
        unflushed_ = false;  // the temporary file was flushed
        failing_ = false;
        reported_ = false;
    }

    void flush() {
        if (!open_ || !unflushed_) return;
        if (out_.flush()) {
            unflushed_ = false;
        } else {
            fault(file_);
        }
    }
};

// ---------------------------------------------------------------------------------------------------------------

Journal::Journal(std::string folder, bool enabled) : Journal(std::move(folder), enabled, clock()) {}

Journal::Journal(std::string folder, bool enabled, const Clock& clock)
    : folder_(std::move(folder)),
      file_(folder_ + kJournalFileName),
      enabled_(enabled),
      impl_(std::make_unique<Impl>(clock)) {
    impl_->folder_ = folder_;
    impl_->file_ = file_;
}

Journal::~Journal() = default;

JournalFindings Journal::readAtStart() {
    JournalFindings found;
    if (!enabled_) return found;
    Impl& j = *impl_;
    FileSource source(file_);
    const FileReadStatus status = source.open();
    if (status == FileReadStatus::NotFound) return found;
    j.oldFile_ = true;
    JournalImage image;
    ReadResult result = ReadResult::Unusable;
    if (status == FileReadStatus::Ok) {
        try {
            LongWork work;
            result = readJournal(source, image);
        } catch (const std::bad_alloc&) {
            // Too large for this memory: set aside whole, for a later try by hand.
            image = JournalImage();
            result = ReadResult::Unusable;
        }
    }
    source.close();
    if (result == ReadResult::Unusable) {
        // A free name, never one that exists.
        std::string aside;
        for (int n = 1; n < 10000; ++n) {
            char name[64];
            std::snprintf(name, sizeof name, "%s%d-%s", kJournalSetAsidePrefix, n, kJournalFileName);
            if (!pathExists(folder_ + name)) {
                aside = folder_ + name;
                break;
            }
        }
        char line[kReportBufferSize];
        if (!aside.empty() && moveFileReplacing(file_, aside)) {
            std::snprintf(line, sizeof line, kMsgJournalSetAside, aside.c_str());
            j.oldFile_ = false;
        } else {
            // It stays where it is, and nothing is written over it in this run.
            std::snprintf(line, sizeof line, kMsgCannotWrite, aside.empty() ? file_.c_str() : aside.c_str());
            j.blocked_ = true;
        }
        found.notice = line;
        return found;
    }
    for (auto& [id, list] : image.lists) {
        RecoveredList r;
        r.kind = list.kind;
        r.title = std::move(list.title);
        r.path = std::move(list.path);
        r.rows = std::move(list.rows);
        r.rows->setModified(true);
        if (r.kind == ListKind::Ignore)
            found.ignoreList = std::move(r);
        else if (r.kind == ListKind::Bbs)
            found.bbsList = std::move(r);
        else
            found.lists.push_back(std::move(r));
    }
    if (image.hasConditions) {
        found.hasConditions = true;
        found.conditions = image.conditions;
        conditionsChanged(image.conditions);
    }
    return found;
}

void Journal::adopt() {
    if (enabled_) impl_->rewrite_ = true;
}

void Journal::decline() {
    if (!enabled_ || impl_->blocked_ || !impl_->oldFile_) return;
    const std::string older = folder_ + kJournalOlderFileName;
    if (moveFileReplacing(file_, older))
        impl_->oldFile_ = false;
    else
        impl_->fault(older);
    impl_->rewrite_ = true;
}

void Journal::attach(EntryList& list, std::string title) {
    if (!enabled_ || impl_->ended_) return;
    Impl& j = *impl_;
    if (Impl::Part* p = j.find(list)) {
        p->title = std::move(title);
        return;
    }
    auto part = std::make_unique<Impl::Part>();
    part->owner = &j;
    part->list = &list;
    part->id = j.nextId_++;
    part->title = std::move(title);
    part->reset = true;
    list.setObserver(part.get());
    j.parts_.push_back(std::move(part));
    j.touched();
}

void Journal::detach(EntryList& list) {
    if (!enabled_) return;
    if (Impl::Part* p = impl_->find(list)) {
        list.setObserver(nullptr);
        p->list = nullptr;
        p->detached = true;
        p->clearChanges();
        impl_->touched();
    }
}

void Journal::saved(EntryList& list, std::string title) {
    if (!enabled_) return;
    if (Impl::Part* p = impl_->find(list)) {
        p->title = std::move(title);
        // At the next point its part is dropped (the list is as its file), or, when it is still modified,
        // written anew.
        p->clearChanges();
        p->reset = true;
        impl_->touched();
    }
}

void Journal::renamed(EntryList& list, std::string title) {
    if (!enabled_) return;
    if (Impl::Part* p = impl_->find(list)) {
        p->title = std::move(title);
        impl_->touched();
    }
}

void Journal::conditionsChanged(std::string text) {
    if (!enabled_ || impl_->ended_) return;
    impl_->conditions_ = std::move(text);
    impl_->conditionsPresent_ = true;
    impl_->conditionsDirty_ = true;
    impl_->touched();
}

void Journal::conditionsSaved() {
    if (!enabled_ || impl_->ended_) return;
    impl_->conditions_.clear();
    impl_->conditionsPresent_ = false;
    impl_->conditionsDirty_ = impl_->conditionsKept_;
    if (impl_->conditionsDirty_) impl_->touched();
}

void Journal::setChangeCallback(std::function<void()> changed) {
    impl_->changed_ = std::move(changed);
}

bool Journal::pointPending() const {
    return enabled_ && impl_->pointPending();
}

void Journal::point() {
    if (enabled_) impl_->point();
}

bool Journal::flushPending() const {
    return enabled_ && impl_->open_ && impl_->unflushed_;
}

void Journal::flush() {
    if (enabled_) impl_->flush();
}

void Journal::endSession() {
    point();
    flush();
}

void Journal::endClean() {
    if (!enabled_ || impl_->ended_) return;
    Impl& j = *impl_;
    for (auto& p : j.parts_)
        if (p->list) p->list->setObserver(nullptr);
    j.parts_.clear();
    j.out_.close();
    j.open_ = false;
    if (!j.blocked_ && pathExists(file_)) removeFile(file_);
    j.ended_ = true;
}

std::uint64_t Journal::fileBytes() const {
    return impl_->fileBytes_;
}

bool Journal::failing() const {
    return impl_->failing_;
}

}  // namespace twk
