#include "routing/fixed_lists.h"

#include "core/entry_list.h"
#include "core/list_view.h"
#include "formats/list_file.h"
#include "routing/list_tabs.h"

namespace twk {

const char* const kIgnoreListFileName = "IgnoreList.txt";
const char* const kBbsListFileName = "BbsList.txt";

namespace {
struct FixedFile {
    ListKind kind;
    const char* const* name;
};
// Loaded and saved in this order.
constexpr FixedFile kFixedFiles[2] = {{ListKind::Ignore, &kIgnoreListFileName},
                                      {ListKind::Bbs, &kBbsListFileName}};

int slotOf(ListKind kind) {
    for (int i = 0; i < 2; ++i)
        if (kFixedFiles[i].kind == kind) return i;
    return -1;
}
}  // namespace

std::string FixedListFiles::pathOf(ListKind kind) const {
    int slot = slotOf(kind);
    return slot < 0 ? std::string() : folder_ + *kFixedFiles[slot].name;
}

bool FixedListFiles::loadFailed(ListKind kind) const {
    int slot = slotOf(kind);
    return slot >= 0 && failed_[slot] != nullptr;
}

int FixedListFiles::loadAll(const ListTabs& tabs) {
    int added = 0;
    for (int slot = 0; slot < 2; ++slot) {
        failed_[slot] = nullptr;
        EntryList* list = firstListOfKind(tabs, kFixedFiles[slot].kind);
        if (!list) continue;
        list->clear();
        if (list->view()) list->view()->deleteAllItems();
        ListFileLoad load = loadListFile(*list, pathOf(kFixedFiles[slot].kind));
        if (!load.ok() && load.status != FileReadStatus::NotFound) failed_[slot] = list;
        added += load.added;
    }
    return added;
}

int FixedListFiles::saveAll(const ListTabs& tabs, std::vector<std::string>* unwritten) const {
    int written = 0;
    for (int slot = 0; slot < 2; ++slot) {
        EntryList* list = firstListOfKind(tabs, kFixedFiles[slot].kind);
        if (!list) continue;
        // Writing now would replace the rows that could not be read with the few of this run.
        if (list == failed_[slot]) continue;
        const std::string path = pathOf(kFixedFiles[slot].kind);
        if (saveListFile(*list, path) >= 0)
            ++written;
        else if (unwritten)
            unwritten->push_back(path);
    }
    return written;
}

}  // namespace twk
