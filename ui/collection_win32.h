// The window's half of the automatic collection and the manual get: the host, the tabs, the settings page's
// live options, the controls fixed while running, the timer and the tray icon, for the decisions of
// Collection. Also the host-word buttons of the pages and the BBS page's collection, which take the same
// roads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "host/collection.h"
#include "resources/resource.h"

namespace twk {
class Histories;
}

namespace twk::ui {

class HostBridge;
class ListTabSet;
class Page;
class StatusBar;
class TrayNotifier;

class CollectionCommands final : private CollectionWorld {
  public:
    // The timer of the main window that runs the cycles.
    static constexpr UINT_PTR kTimer = IDT_COLLECTION;

    struct Parts {
        HostBridge& host;
        ListTabSet& tabs;
        Histories& histories;
        StatusBar& statusBar;
        TrayNotifier& tray;
        std::function<void()> updateCommands;
    };
    explicit CollectionCommands(Parts parts) : parts_(std::move(parts)), logic_(*this) {}
    // The main window, once it exists: the timer's and the menu's owner.
    void setWindow(HWND window) { window_ = window; }
    void setNoDialog(bool on) { noDialog_ = on; }
    bool noDialog() const { return noDialog_; }
    void setBbsDelay(int ms) { bbsDelay_ = ms; }
    int bbsDelay() const { return bbsDelay_; }

    Collection& logic() { return logic_; }
    const CollectionState& state() const { return logic_.state(); }
    void start() { logic_.start(); }
    void stop() { logic_.stop(); }
    void cycle() { logic_.cycle(); }
    void manualGet() { logic_.manualGet(); }
    // The host word of a page: into its word box (取得), or from it to the host (設定).
    void fetchHostWord(Page& page);
    void sendHostWord(Page& page);
    // The BBS page's collection: the host searches its BBS with the page's word, and the threads are read.
    void collectBbs(Page& page);
    void showHostSearchTab();
    void toggleHostWindow();

  private:
    bool findSearchButton() override;
    int collect(EntryList& list, bool autoSort, int& seen) override;
    void pressSearch() override;
    void showSearchTab() override;
    int pageCount() const override;
    int currentPage() const override;
    int pageId(int index) const override;
    EntryList* pageList(int index) const override;
    bool hasHostWord(int index) const override;
    void sendHostWord(int index) override;
    void fetchHostWord(int index) override;
    bool readOptions(CollectionOptions& options) override;
    void showRunning(bool running) override;
    void updateCommands() override { parts_.updateCommands(); }
    void startTimer(std::uint32_t milliseconds) override;
    void stopTimer() override;

    Parts parts_;
    Collection logic_;
    HWND window_ = nullptr;
    bool noDialog_ = false;
    int bbsDelay_ = 100;
};

}  // namespace twk::ui
