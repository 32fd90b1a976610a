// Most-recently-used lists of texts (recent files, search words). Entry 0 is the newest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace twk {

class ProfileFile;

class HistoryList {
  public:
    // The largest capacity a list takes; a larger one is taken as this one.
    static constexpr std::int32_t kCapacityLimit = 1000;
    // Entries are at most this many bytes (longer texts are cut).
    static constexpr std::size_t kMaxEntryLength = 259;

    // Drops every entry and makes room for `capacity` entries (at most kCapacityLimit); no room (capacity 0)
    // when it is not positive.
    void reset(std::int32_t capacity);
    // Puts `text` at entry 0; an equal entry (same bytes) moves to the front instead of being repeated, and a
    // full list loses its oldest entry. Returns false, changing nothing, for an empty text or a list without
    // room.
    bool pushFront(const std::string& text);
    // The text of entry i, or the empty text when i is not an entry.
    const std::string& entry(std::int32_t i) const;

    std::int32_t count() const { return static_cast<std::int32_t>(entries_.size()); }
    std::int32_t capacity() const { return capacity_; }

  private:
    std::int32_t capacity_ = 0;
    std::vector<std::string> entries_;
};

// The five histories the main window keeps, in the order they are loaded and saved.
enum HistoryKind {
    kFileHistory = 0,     // "History%2.2d"
    kSearchHistory,       // "SearchHistory%2.2d"
    kHostWordHistory,     // "VobraHistory%2.2d"
    kBbsSearchHistory,    // "BbsHistory%2.2d"
    kBbsHostWordHistory,  // "VobraBbsHistory%2.2d"
    kHistoryKindCount
};

// Key prefix of a history: its capacity key is prefix + "Max", entry n is prefix + n with at least two
// digits.
std::string historyKeyPrefix(HistoryKind kind);

struct Histories {
    HistoryList lists[kHistoryKindCount];
    HistoryList& operator[](HistoryKind kind) { return lists[kind]; }
    const HistoryList& operator[](HistoryKind kind) const { return lists[kind]; }
};

// Reads every history from the user settings (capacity default 10; the stored order is kept, empty keys and
// duplicates are skipped).
void loadHistories(const ProfileFile& file, Histories& histories);
// Writes each capacity and entries 0 to count - 1. Keys numbered count or higher are left as they are. False
// when a value could not be written.
bool saveHistories(ProfileFile& file, const Histories& histories);

}  // namespace twk
