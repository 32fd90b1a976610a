#include "ui/tab_set_win32.h"

#include <commctrl.h>

#include "core/entry_list.h"
#include "resources/resource.h"
#include "ui/text_win32.h"

namespace twk::ui {

bool FocusRing::move(bool forward) {
    HWND focus = GetFocus();
    const int n = static_cast<int>(windows_.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (windows_[i] == focus) at = i;
    if (at < 0) return false;
    for (int step = 1; step < n; ++step) {
        int i = forward ? (at + step) % n : (at - step + n) % n;
        HWND w = windows_[i];
        if (IsWindowEnabled(w) && IsWindowVisible(w)) {
            SetFocus(w);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
void TabPageSet::init(HINSTANCE instance, HWND tabControl) {
    if (initialised_) removeAll();
    instance_ = instance;
    tabs_ = tabControl;
    count_ = 0;
    current_ = 0;
    initialised_ = 1;
}

void TabPageSet::switchTo(int index) {
    int old = current_;
    current_ = index;
    HWND page = pageWindow(index);
    HWND view = GetDlgItem(page, IDC_LIST);
    if (view) SetFocus(view);
    ShowWindow(page, SW_SHOW);
    if (old != index && old >= 0 && old < count_) ShowWindow(pageWindow(old), SW_HIDE);
}

int TabPageSet::selectPage(int index) {
    if (index < 0 || index >= count_ || index == current_) return 0;
    SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    switchTo(index);
    return 1;
}

void TabPageSet::nextPage() {
    if (count_ < 2) return;
    selectPage(current_ + 1 < count_ ? current_ + 1 : 0);
}

void TabPageSet::previousPage() {
    if (count_ < 2) return;
    selectPage(current_ > 0 ? current_ - 1 : count_ - 1);
}

int TabPageSet::followSelection() {
    int selected = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
    if (selected == current_ || selected < 0 || selected >= count_) return -1;
    switchTo(selected);
    return selected;
}

RECT TabPageSet::displayArea() const {
    RECT r = {};
    GetClientRect(tabs_, &r);
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TabPageSet::fitPages() {
    if (!tabs_) return;
    RECT r = displayArea();
    for (HWND page : pages_) MoveWindow(page, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

HWND TabPageSet::pageWindow(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return pages_[static_cast<size_t>(index)];
}

std::string TabPageSet::tabText(int index) const {
    if (index < 0 || index >= count_) return std::string();
    wchar_t buf[260] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 260;
    SendMessageW(tabs_, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    std::string text = narrow(buf);
    if (text.size() > 259) text.resize(259);
    return text;
}

int TabPageSet::setTabText(int index, const char* text) {
    if (index < 0 || index >= count_) return 0;
    std::wstring w = widen(text);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &w[0];
    SendMessageW(tabs_, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (index == current_) InvalidateRect(pageWindow(index), nullptr, FALSE);
    return 1;
}

void TabPageSet::pageRemoved(int index) {
    --count_;
    if (index == current_) {
        current_ = index > 0 ? index - 1 : 0;
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(current_), 0);
        if (count_ > 0) ShowWindow(pageWindow(current_), SW_SHOW);
    } else {
        current_ = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        if (current_ < 0) current_ = 0;
    }
}

void TabPageSet::allPagesRemoved() {
    pages_.clear();
    count_ = 0;
    current_ = 0;
    instance_ = nullptr;
    tabs_ = nullptr;
    initialised_ = 0;
}

int TabPageSet::insertTab(int index, const char* text) {
    std::wstring w = widen(text);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &w[0];
    return static_cast<int>(
        SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

// ---------------------------------------------------------------------------------------------------------------
int ListTabSet::addPage(std::unique_ptr<Page> page, int show, const char* text,
                        std::unique_ptr<EntryList> list) {
    return insertPage(std::move(page), count_, show, text, std::move(list));
}

int ListTabSet::insertPage(std::unique_ptr<Page> page, int index, int show, const char* text,
                           std::unique_ptr<EntryList> list) {
    if (!initialised_ || !page || index < 0 || index > count_) return 0;
    if (insertTab(index, text) == -1) return 0;
    // Until the page is in the set, the current index must keep naming the page it named.
    bool shiftsCurrent = index <= current_ && count_ > 0;
    page->setList(list.get());
    HWND window = page->create(instance_, tabs_);
    if (!window) {
        SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
        return 0;
    }
    RECT r = displayArea();
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    pages_.insert(pages_.begin() + index, window);
    PageRecord record;
    record.kind = page->kind();
    record.id = nextId_++;
    if (list) list->setView(page->listView());
    record.list = std::move(list);
    record.page = std::move(page);
    records_.insert(records_.begin() + index, std::move(record));
    ++count_;
    if (shiftsCurrent) ++current_;
    ShowWindow(window, show);
    if (show == SW_SHOW) {
        if (current_ != index && current_ < count_) ShowWindow(pageWindow(current_), SW_HIDE);
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        current_ = index;
    }
    if (listCame_ && records_[static_cast<size_t>(index)].list)
        listCame_(*records_[static_cast<size_t>(index)].list);
    return 1;
}

int ListTabSet::removePage(int index) {
    if (!initialised_ || index < 0 || index >= count_) return 0;
    if (listGoing_ && records_[static_cast<size_t>(index)].list)
        listGoing_(records_[static_cast<size_t>(index)].list.get());
    if (!SendMessageW(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0)) return 0;
    PageRecord record = std::move(records_[static_cast<size_t>(index)]);
    records_.erase(records_.begin() + index);
    pages_.erase(pages_.begin() + index);
    if (record.page) record.page->destroy();
    if (EntryList* list = record.list.get()) {
        for (PageRecord& other : records_) {
            if (!other.list) continue;
            list->unlinkFilter(other.list.get());
            other.list->unlinkFilter(list);
        }
        list->setView(nullptr);
        list->clear();
    }
    record.list.reset();
    record.ring.reset();
    record.page.reset();
    pageRemoved(index);
    return 1;
}

void ListTabSet::removeAll() {
    if (listGoing_)
        for (const PageRecord& record : records_)
            if (record.list) listGoing_(record.list.get());
    if (tabs_ && IsWindow(tabs_)) SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
        if (it->page) it->page->destroy();
    // Lists refer to each other through their filter links: cut every link before any list goes.
    for (PageRecord& record : records_) {
        if (!record.list) continue;
        record.list->setView(nullptr);
        for (PageRecord& other : records_)
            if (other.list && other.list != record.list) record.list->unlinkFilter(other.list.get());
    }
    while (!records_.empty()) records_.pop_back();
    allPagesRemoved();
}

Win32ListView* ListTabSet::currentRowsView() const {
    Page* shown = currentPage();
    return shown && pageHoldsRows(shown->kind()) ? shown->listView() : nullptr;
}

EntryList* ListTabSet::pageList(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return records_[static_cast<size_t>(index)].list.get();
}

Page* ListTabSet::page(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return records_[static_cast<size_t>(index)].page.get();
}

PageKind ListTabSet::kind(int index) const {
    if (index < 0 || index >= count_) return PageKind::Settings;
    return records_[static_cast<size_t>(index)].kind;
}

int ListTabSet::tabTexts(std::vector<std::string>& out) const {
    out.clear();
    for (int i = 0; i < count_; ++i) out.push_back(tabText(i));
    return count_;
}

HWND ListTabSet::firstPageOfKind(PageKind kind) const {
    for (int i = 0; i < count_; ++i)
        if (records_[static_cast<size_t>(i)].kind == kind) return pages_[static_cast<size_t>(i)];
    return nullptr;
}

Page* ListTabSet::firstPage(PageKind kind) const {
    for (int i = 0; i < count_; ++i)
        if (records_[static_cast<size_t>(i)].kind == kind) return page(i);
    return nullptr;
}

int ListTabSet::indexOfList(const EntryList* list) const {
    for (int i = 0; i < count_; ++i)
        if (list && records_[static_cast<size_t>(i)].list.get() == list) return i;
    return -1;
}

int ListTabSet::pageId(int index) const {
    if (index < 0 || index >= count_) return 0;
    return records_[static_cast<size_t>(index)].id;
}

int ListTabSet::indexOfPage(int id) const {
    for (int i = 0; i < count_; ++i)
        if (id != 0 && records_[static_cast<size_t>(i)].id == id) return i;
    return -1;
}

}  // namespace twk::ui
