// The ignore list and the BBS list keep themselves in "IgnoreList.txt" and "BbsList.txt" in the program's
// folder: read at start-up, written at the end.
#pragma once

#include <string>
#include <vector>

#include "core/entry.h"

namespace twk {

class EntryList;
class ListTabs;

extern const char* const kIgnoreListFileName;  // "IgnoreList.txt"
extern const char* const kBbsListFileName;     // "BbsList.txt"

class FixedListFiles {
  public:
    // `folder` is the program's folder with its trailing separator.
    explicit FixedListFiles(std::string folder) : folder_(std::move(folder)) {}

    // The file of the ignore or BBS list; empty for a normal list.
    std::string pathOf(ListKind kind) const;

    // Empties the first list of each kind and reads its file into it. A missing file leaves the list empty. A
    // file that exists but cannot be read (too large, unreadable) also leaves it empty, and is then kept from
    // being overwritten by saveAll. Returns the number of rows added.
    int loadAll(const ListTabs& tabs);
    // Writes each list to its file, whatever its modified flag says; an empty list gives an empty file. Lists
    // whose file could not be loaded are skipped. Returns the number of files written; the paths of the files
    // that could not be written go to `unwritten` when given.
    int saveAll(const ListTabs& tabs, std::vector<std::string>* unwritten = nullptr) const;

    // Whether the load of that kind's file failed although the file exists.
    bool loadFailed(ListKind kind) const;

  private:
    std::string folder_;
    const EntryList* failed_[2] = {nullptr, nullptr};  // by slot: ignore list, BBS list
};

}  // namespace twk
