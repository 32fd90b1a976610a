// Turning the rows of a list into text: the list-file line, the host's file lines and the clipboard forms.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

namespace twk {

class EntryList;

// The line form of serializeRows; combine with SelectedOnly.
enum ExportForm : int {
    ListForm = 0,          // every field joined by TAB
    NameForm = 2,          // the name
    HashForm = 4,          // the hash
    DownloadForm = 8,      // the host's download-list line
    DownloadBbsForm = 16,  // the same, for threads
    IgnoreForm = 32,       // the host's ignore-file line
    IgnoreBbsForm = 48,    // the same, for threads
    TripForm = 64,         // the trip
    KeyInfoForm = 128,     // name, trip, size and hash separated by spaces
};
// Only the rows whose `selected` is 1.
constexpr int SelectedOnly = 1;

// The host forms carry the name cut to this many bytes, with every "," made a space.
constexpr std::size_t kHostNameBytes = 259;

// A set of hashes compared byte for byte.
class HashSet {
  public:
    HashSet() = default;
    HashSet(const HashSet&) = delete;
    HashSet& operator=(const HashSet&) = delete;

    void add(std::string_view hash);
    bool contains(std::string_view hash) const { return index_.count(hash) != 0; }
    std::size_t size() const { return index_.size(); }

  private:
    std::deque<std::string> storage_;  // element addresses stay put as it grows
    std::unordered_set<std::string_view> index_;
};

// One block of text: the lines back to back and one NUL byte after them that `length` does not count.
struct SerializedRows {
    std::unique_ptr<char[]> block;  // none when no line was written
    std::size_t length = 0;
    int lines = 0;
    bool noMemory = false;  // the block could not be had: nothing was written, though rows qualified
};

// Writes the list's rows, in display order, in one form. The text is measured first and written into a block
// of exactly length + 1 bytes. Rows whose hash is in `excluded` are left out. An unknown form writes nothing.
// Callers that save must check noMemory: an empty result then does not mean an empty list.
SerializedRows serializeRows(const EntryList& list, int form, const HashSet* excluded = nullptr);

}  // namespace twk
