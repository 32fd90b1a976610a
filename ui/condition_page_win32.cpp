// The condition page's editing: adding from the input fields, and the commands of its context menu and keys
// on the selected conditions.
#include <vector>

#include "core/report.h"
#include "resources/resource.h"
#include "routing/conditions_file.h"
#include "ui/main_window_win32.h"
#include "ui/pages_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

constexpr int kConditionFieldMax = 1023;
const char* const kMsgConditionWrong = "移動＆無視条件に誤りがあります";
const char* const kMsgConditionAdded = "条件リストにデータを追加しました";
const char* const kMsgConditionsLoaded = "条件リストファイルから%d件の情報を読み込みました";
const char* const kMsgConditionsLoadFailed = "条件リストの読み込みに失敗しました";
const char* const kMsgConditionsSaved = "条件リストに%d件の情報を保存しました";
const char* const kMsgConditionsSaveFailed = "条件リストの保存に失敗しました";
const char* const kMsgConditionsDeleted = "%d件の情報を削除しました";
const char* const kMsgConditionsSelectedAll = "全%d件の情報を選択しました";

// Keys of the condition list view with Control held, and the commands they stand for.
struct KeyCommand {
    WPARAM key;
    int command;
};
const KeyCommand kControlKeys[] = {
    {'R', ID_COND_RELOAD}, {'S', ID_COND_SAVE},      {'K', ID_COND_UP},
    {'J', ID_COND_DOWN},   {'A', ID_COND_SELECTALL},
};

}  // namespace

std::vector<int> ConditionPage::selectedConditions() const {
    std::vector<int> out;
    const int n = view_.itemCount();
    for (int i = 0; i < n; ++i)
        if (view_.isSelected(i)) out.push_back(i);
    return out;
}

void ConditionPage::addFromFields() {
    std::string text = windowText(item(IDC_COND_TEXT), kConditionFieldMax);
    std::string destination = windowText(item(IDC_COND_TARGET), kConditionFieldMax);
    const bool ignoreIfAbsent = IsDlgButtonChecked(hwnd_, IDC_COND_IGNOREABSENT) == BST_CHECKED;
    ConditionList& conditions = main_.shared().conditions;
    int index = conditions.add(text.c_str(), destination.c_str(), ignoreIfAbsent);
    if (index < 0) {
        showMessage("%s", kMsgConditionWrong);
        return;
    }
    view_.insertItem(index);
    if (EntryList* list = findListByTitle(main_.tabs(), destination))
        conditions.at(index).bindDestination(list);
    showCounts(&view_);
    showMessage("%s", kMsgConditionAdded);
    main_.recovery().changed();
}

void ConditionPage::copySelectedToFields() {
    std::vector<int> selected = selectedConditions();
    if (selected.empty()) return;
    const Condition& c = main_.shared().conditions.at(selected.front());
    setDialogItemText(hwnd_, IDC_COND_TEXT, c.text.c_str());
    setDialogItemText(hwnd_, IDC_COND_TARGET, c.destinationName.c_str());
    CheckDlgButton(hwnd_, IDC_COND_IGNOREABSENT, c.ignoreIfAbsent ? BST_CHECKED : BST_UNCHECKED);
}

// Moves the selected conditions one place towards the start (up) or the end; a selected block already at that
// end stays where it is. The selection moves with the conditions.
void ConditionPage::moveSelected(bool up) {
    ConditionList& conditions = main_.shared().conditions;
    const int n = conditions.count();
    bool passedUnselected = false;
    for (int step = 0; step < n; ++step) {
        const int i = up ? step : n - 1 - step;
        const int other = up ? i - 1 : i + 1;
        if (!view_.isSelected(i)) {
            passedUnselected = true;
            continue;
        }
        if (!passedUnselected) continue;
        conditions.swap(i, other);
        view_.setSelected(other, true);
        view_.setSelected(i, false);
    }
}

void ConditionPage::runCommand(int id) {
    ConditionList& conditions = main_.shared().conditions;
    ConditionFile& file = main_.shared().conditionFile;
    switch (id) {
        case ID_COND_RELOAD: {
            int n = file.load(conditions, main_.tabs(), &view_);
            if (n >= 0) main_.recovery().conditionsWritten();
            showCounts(&view_);
            if (n < 0)
                showMessage("%s", kMsgConditionsLoadFailed);
            else
                showMessage(kMsgConditionsLoaded, n);
            break;
        }
        case ID_COND_SAVE: {
            int n = file.save(conditions);
            if (n >= 0) main_.recovery().conditionsWritten();
            showCounts(&view_);
            if (n < 0)
                showMessage("%s", kMsgConditionsSaveFailed);
            else
                showMessage(kMsgConditionsSaved, n);
            break;
        }
        case ID_COND_USE:
        case ID_COND_UNUSE:
            for (int i : selectedConditions()) conditions.at(i).used = id == ID_COND_USE;
            break;
        case ID_COND_UP:
        case ID_COND_DOWN:
            moveSelected(id == ID_COND_UP);
            break;
        case ID_COND_DELETE: {
            std::vector<int> selected = selectedConditions();
            if (selected.empty()) break;
            {
                BulkUpdate bulk(&view_);
                for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
                    conditions.removeAt(*it);
                    view_.deleteItem(*it);
                }
            }
            showCounts(&view_);
            showMessage(kMsgConditionsDeleted, static_cast<int>(selected.size()));
            break;
        }
        case ID_COND_SELECTALL:
            if (view_.itemCount() <= 0) break;
            view_.setAllSelected(true);
            showCounts(&view_);
            showMessage(kMsgConditionsSelectedAll, view_.itemCount());
            break;
        default:
            return;
    }
    view_.invalidate();
    main_.recovery().changed();
}

LRESULT CALLBACK ConditionPage::viewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<ConditionPage*>(subclassSelf(view));
    try {
        if (self && message != WM_NCDESTROY) return self->onViewMessage(view, message, wParam, lParam);
    } catch (...) {
        reportUncaught();
        return 0;
    }
    return callPrevious(view, message, wParam, lParam);
}

LRESULT ConditionPage::onViewMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_DELETE) {
                runCommand(ID_COND_DELETE);
                return 0;
            }
            if (GetKeyState(VK_CONTROL) < 0) {
                for (const KeyCommand& k : kControlKeys) {
                    if (k.key != wParam) continue;
                    runCommand(k.command);
                    return 0;
                }
            }
            return callPrevious(view, message, wParam, lParam);
        case WM_LBUTTONDOWN: {
            LRESULT result = callPrevious(view, message, wParam, lParam);
            showCounts(&view_);
            return result;
        }
        case WM_LBUTTONDBLCLK: {
            LRESULT result = callPrevious(view, message, wParam, lParam);
            copySelectedToFields();
            return result;
        }
        case WM_RBUTTONDOWN: {
            LRESULT result = callPrevious(view, message, wParam, lParam);
            OwnedMenu menu(LoadMenuW(main_.shared().instance, MAKEINTRESOURCEW(IDR_CONDITIONMENU)));
            if (menu) {
                POINT p;
                GetCursorPos(&p);
                TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_LEFTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
            }
            return result;
        }
        default:
            return callPrevious(view, message, wParam, lParam);
    }
}

}  // namespace twk::ui
