// The file commands: list files opened into lists (replacing their rows, as a new list, or added), new and
// closed lists, saving, the file history, dropped files, and the question that guards unsaved rows. A command
// that asks something holds the page it asked about by its id: the answer acts on that page wherever it is by
// then, and on none once it is gone. The window gives the pages; the dialogs and boxes are behind
// FileDialogs.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace twk {

class EntryList;
class HistoryList;

enum class SaveAnswer { Yes, No, Cancel };

// What the file commands ask the user and the file system.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The open dialog (save false) or the save dialog, started at `start`; false when it was cancelled.
    virtual bool chooseFile(bool save, const std::string& start, std::string& chosen) = 0;
    virtual SaveAnswer askSave(const std::string& question) = 0;
    // Whether anything bears exactly this name.
    virtual bool exists(const std::string& path) = 0;
};

// The tabs as the file commands see them. A page's id names it for as long as it is there, and no other page
// after it.
class FilePages {
  public:
    virtual ~FilePages() = default;
    virtual int count() const = 0;
    virtual int current() const = 0;
    virtual int pageId(int index) const = 0;
    // The page's position, or -1 once it is gone (its window too).
    virtual int indexOfPage(int id) const = 0;
    virtual EntryList* list(int index) const = 0;
    virtual std::string title(int index) const = 0;
    virtual void setTitle(int index, const std::string& title) = 0;
    // A page for a new normal list, leftmost and current; false when it could not be made.
    virtual bool insertList(std::unique_ptr<EntryList> list, const std::string& title) = 0;
    virtual void remove(int index) = 0;
    // The list's view hidden while a load replaces its rows.
    virtual void showList(int index, bool shown) = 0;
    virtual void focusList(int index) = 0;
    // A list about to be closed: a collection into it stops first.
    virtual void closing(EntryList& list) = 0;
    // After pages came or went or titles changed: the command states (when asked) and the conditions'
    // destinations, which name lists by their titles.
    virtual void titlesChanged(bool commandStates) = 0;
};

struct DroppedFile {
    std::string path;
    bool folder = false;
};

class FileCommands {
  public:
    FileCommands(FilePages& pages, FileDialogs& dialogs, HistoryList& fileHistory)
        : pages_(pages), dialogs_(dialogs), history_(fileHistory) {}
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    // 開く, 新規に開く, 追加で開く, 新規リスト作成, 閉じる, 上書き保存, 名前を付けて保存.
    void open();
    void openNew();
    void openAdd();
    void newList();
    void closeList();
    void save();
    void saveAs();
    // Entry `index` of the file history, into the current list.
    void openHistoryEntry(int index);
    // Files dropped on a page, in order: folders are skipped, the first file that opens ends the walk.
    void openDropped(int pageId, const std::vector<DroppedFile>& files);

    // Unsaved rows of the page's normal list: asks whether to save them first. False when the user cancels,
    // when a save asked for did not take place (dialog cancelled, file not written), when the page holds no
    // normal list, or when it went while the question was open.
    bool confirmSaveChanges(int pageId);
    // Replaces the rows of the page's normal list with a list file's. False when nothing was opened.
    bool openInto(int pageId, const std::string& path);
    int currentPageId() const { return pages_.pageId(pages_.current()); }

  private:
    EntryList* normalList(int pageId) const;
    // Rows written, 0 for an empty list (an empty file), -1 when the file could not be written.
    int saveTo(int pageId, const std::string& path);
    bool saveList(int pageId);
    bool saveListAs(int pageId);
    void reportLoaded(int pageId, const char* format, const std::string& path, int count);
    std::unique_ptr<EntryList> makeNormalList(int allocationCode);

    FilePages& pages_;
    FileDialogs& dialogs_;
    HistoryList& history_;
};

}  // namespace twk
