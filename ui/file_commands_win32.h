// The window's half of the file commands: the tab set's pages, the system's file dialogs and the save
// question's box, for the decisions of FileCommands. The chooser and the question can be answered by a test
// instead of the user.
#pragma once

#include <windows.h>
// The shell declarations need the base declarations first.
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "formats/file_commands.h"

namespace twk {
class ConditionList;
}

namespace twk::ui {

class ListTabSet;
class Page;

class FileCommandsWindow final : private FilePages, private FileDialogs {
  public:
    struct Parts {
        ListTabSet& tabs;
        ConditionList& conditions;
        HistoryList& fileHistory;
        // A page for a normal list.
        std::function<std::unique_ptr<Page>()> makeListPage;
        // A list about to be closed.
        std::function<void(EntryList&)> closing;
        std::function<void()> updateCommands;
    };
    explicit FileCommandsWindow(Parts parts)
        : parts_(std::move(parts)), logic_(*this, *this, parts_.fileHistory) {}
    // The main window, once it exists: the owner of the dialogs and boxes.
    void setWindow(HWND window) { window_ = window; }

    FileCommands& logic() { return logic_; }
    bool confirmSaveChanges() { return logic_.confirmSaveChanges(logic_.currentPageId()); }
    bool openIntoCurrent(const std::string& path) { return logic_.openInto(logic_.currentPageId(), path); }
    // Files dropped on a page: opened into it; the window comes to the foreground.
    void onDropped(Page& page, HDROP drop);

    // Answers the save question instead of a message box (IDYES, IDNO or IDCANCEL); for tests.
    void setSaveQuestion(std::function<int(const std::string&)> answer) { saveQuestion_ = std::move(answer); }
    // Chooses the file instead of the open and save dialogs (false: the dialog was cancelled); for tests.
    using FileChooser = std::function<bool(bool save, std::string& chosen)>;
    void setFileChooser(FileChooser choose) { fileChooser_ = std::move(choose); }

  private:
    int count() const override;
    int current() const override;
    int pageId(int index) const override;
    int indexOfPage(int id) const override;
    EntryList* list(int index) const override;
    std::string title(int index) const override;
    void setTitle(int index, const std::string& title) override;
    bool insertList(std::unique_ptr<EntryList> list, const std::string& title) override;
    void remove(int index) override;
    void showList(int index, bool shown) override;
    void focusList(int index) override;
    void closing(EntryList& list) override { parts_.closing(list); }
    void titlesChanged(bool commandStates) override;
    bool chooseFile(bool save, const std::string& start, std::string& chosen) override;
    SaveAnswer askSave(const std::string& question) override;
    bool exists(const std::string& path) override;

    Parts parts_;
    FileCommands logic_;
    HWND window_ = nullptr;
    std::function<int(const std::string&)> saveQuestion_;
    FileChooser fileChooser_;
};

}  // namespace twk::ui
