#include "ui/host_bridge_win32.h"

#include "core/entry_list.h"
#include "host/host_link.h"
#include "host/host_system_win32.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"

namespace twk::ui {

HostBridge::HostBridge(const ConditionList& conditions, std::function<std::uint32_t()> storedStartPtr)
    : router_(std::make_unique<ConditionRouter>(conditions)),
      link_(std::make_unique<HostLink>(systemHost(), layout_)) {
    link_->options().router = router_.get();
    link_->options().storedStartPtr = std::move(storedStartPtr);
}

HostBridge::~HostBridge() = default;

bool HostBridge::findSearchButton() {
    return link_->findSearchButton() != kNoWindow;
}

int HostBridge::collect(EntryList& list, bool autoSort, bool noDialog, int* seen) {
    link_->options().noDialog = noDialog ? 1 : 0;
    int accepted = 0;
    const auto& words = list.kind() == ListKind::Bbs ? layout_.bbsStates : layout_.fileStates;
    int added = link_->readHostResults(words, list, accepted, autoSort ? 1 : 0);
    if (seen) *seen = accepted;
    return added;
}

bool HostBridge::pressSearch() {
    return link_->pressSearch();
}

bool HostBridge::showSearchTab() {
    return link_->clickHostTabs(layout_.tabSearch, 0, 0);
}

bool HostBridge::showBbsTab() {
    return link_->clickHostTabs(layout_.tabBbs, 0, 0);
}

void HostBridge::reloadHostList(bool ignoreFile) {
    link_->clickHostTabs(ignoreFile ? layout_.tabIgnoreList : layout_.tabDownList, layout_.btnReload, 1);
    link_->clickHostTabs(layout_.tabSearch, 0, 0);
}

void HostBridge::toggleHostWindow() {
    link_->toggleHostWindow();
}

bool HostBridge::readWord(bool bbs, std::string& word) {
    return link_->readSearchWord(bbs ? layout_.comboBbs : layout_.comboFile, word);
}

bool HostBridge::writeWord(bool bbs, const char* word) {
    return link_->writeSearchWord(bbs ? layout_.comboBbs : layout_.comboFile, word);
}

int HostBridge::enableDebugPrivilege() {
    return link_->enableDebugPrivilege();
}

}  // namespace twk::ui
