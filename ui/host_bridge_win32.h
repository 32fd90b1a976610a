// The main window's hold on the host link: the layout definitions, the reader with the conditions as its
// router, and the host operations the window's commands use.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/layout_definitions.h"

namespace twk {
class ConditionList;
class ConditionRouter;
class EntryList;
class HostLink;
class ProfileFile;
}  // namespace twk

namespace twk::ui {

class HostBridge {
  public:
    HostBridge(const ConditionList& conditions, std::function<std::uint32_t()> storedStartPtr);
    ~HostBridge();
    HostBridge(const HostBridge&) = delete;
    HostBridge& operator=(const HostBridge&) = delete;

    LayoutDefinitions& layout() { return layout_; }
    HostLink& link() { return *link_; }

    // Whether the host's search button is there (an error box says which part is missing when not).
    bool findSearchButton();
    // Reads the host's results into the list (its kind chooses the accepted status words). Returns the rows
    // added, or -1 when the host cannot be reached.
    // `seen` becomes the number of records with an accepted status, whatever became of them.
    int collect(EntryList& list, bool autoSort, bool noDialog, int* seen = nullptr);
    bool pressSearch();
    bool showSearchTab();
    bool showBbsTab();
    // Makes the host read its download list (or ignore file) again, then shows its search tab.
    void reloadHostList(bool ignoreFile);
    void toggleHostWindow();
    bool readWord(bool bbs, std::string& word);
    bool writeWord(bool bbs, const char* word);
    int enableDebugPrivilege();

  private:
    LayoutDefinitions layout_;
    std::unique_ptr<ConditionRouter> router_;
    std::unique_ptr<HostLink> link_;
};

}  // namespace twk::ui
