#include "ui/list_presentation_win32.h"

#include <commctrl.h>

#include "core/entry_list.h"
#include "match/condition_list.h"
#include "ui/layout_rules.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

struct ColumnSpec {
    const char* title;
    int logical;  // the row field shown; -1 for the condition columns
    int format;   // LVCFMT_*: the header's alignment and, on list pages, the cell's
};

const ColumnSpec kFileColumns[] = {
    {"　", kColMark, LVCFMT_CENTER},           {"ファイル名", kColName, LVCFMT_LEFT},
    {"トリップ", kColTrip, LVCFMT_LEFT},       {"サイズ", kColSize, LVCFMT_RIGHT},
    {"状態", kColStatus, LVCFMT_LEFT},         {"被参照量", kColRefAmount, LVCFMT_RIGHT},
    {"更新時刻", kColUpdateTime, LVCFMT_LEFT}, {"Ver", kColVer, LVCFMT_LEFT},
    {"ハッシュ", kColHash, LVCFMT_LEFT},
};

const ColumnSpec kBbsColumns[] = {
    {"　", kColMark, LVCFMT_CENTER},         {"スレッドタイトル", kColName, LVCFMT_LEFT},
    {"サイズ", kColSize, LVCFMT_RIGHT},      {"状態", kColStatus, LVCFMT_LEFT},
    {"発言数", kColRefAmount, LVCFMT_RIGHT}, {"更新時刻", kColUpdateTime, LVCFMT_LEFT},
    {"Ver", kColVer, LVCFMT_LEFT},           {"ハッシュ", kColHash, LVCFMT_LEFT},
};

const ColumnSpec kConditionColumns[] = {
    {"使用", -1, LVCFMT_LEFT},           {"移動", -1, LVCFMT_LEFT},
    {"移動＆無視条件", -1, LVCFMT_LEFT}, {"移動先リスト", -1, LVCFMT_LEFT},
    {"不存在時に無視", -1, LVCFMT_LEFT},
};

struct ColumnSet {
    const ColumnSpec* columns;
    int count;
};

ColumnSet columnSet(PageKind kind) {
    switch (kind) {
        case PageKind::Bbs:
            return {kBbsColumns, static_cast<int>(sizeof kBbsColumns / sizeof kBbsColumns[0])};
        case PageKind::Conditions:
            return {kConditionColumns,
                    static_cast<int>(sizeof kConditionColumns / sizeof kConditionColumns[0])};
        case PageKind::Normal:
        case PageKind::Ignore:
            return {kFileColumns, static_cast<int>(sizeof kFileColumns / sizeof kFileColumns[0])};
        case PageKind::Settings:
            break;
    }
    return {nullptr, 0};
}

void insertColumn(HWND view, int index, int format, int width, const char* title) {
    std::wstring text = widen(title);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = &text[0];
    column.iSubItem = index;
    SendMessageW(view, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int columnWidth(HWND view, int index) {
    return static_cast<int>(SendMessageW(view, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}

void drawCell(HDC dc, const char* text, int len, int left, int top, int right, int bottom, UINT align) {
    RECT cell = {left, top, right, bottom};
    const std::wstring w = widen(text ? text : "", text ? len : 0);
    // A right-aligned text wider than its cell would lose its beginning (a size its leading digits): it keeps
    // its beginning and ends in an ellipsis instead, as the list view shows such a text. Left-aligned texts
    // are cut on the right, as they always were.
    const UINT fit = align == DT_RIGHT ? DT_END_ELLIPSIS : 0;
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &cell,
              DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | align | fit);
}

// Fills the item rectangle and prepares the text colours.
void fillRow(const DRAWITEMSTRUCT& item, const ListPalette& palette) {
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    SetTextColor(item.hDC, palette.text(selected));
    SetBkMode(item.hDC, TRANSPARENT);
    FillRect(item.hDC, &item.rcItem, palette.brush(selected));
}

// The same; returns the view's horizontal scroll position.
int beginRow(const DRAWITEMSTRUCT& item, const ListPalette& palette) {
    fillRow(item, palette);
    return GetScrollPos(item.hwndItem, SB_HORZ);
}

}  // namespace

void ListPalette::load(const ListColours& colours) {
    colours_ = colours;
    itemBrush_.reset(CreateSolidBrush(colours.backItem));
    selectedBrush_.reset(CreateSolidBrush(colours.backSelect));
}

SystemColours currentSystemColours() {
    SystemColours c;
    c.windowText = GetSysColor(COLOR_WINDOWTEXT);
    c.highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    c.window = GetSysColor(COLOR_WINDOW);
    c.highlight = GetSysColor(COLOR_HIGHLIGHT);
    return c;
}

int fixedColumnCount(PageKind kind) {
    return columnSet(kind).count;
}

void setupColumns(PageKind kind, HWND view, const std::int32_t* widths,
                  const std::vector<std::string>& userColumns, const ListPalette& palette,
                  const DpiScale& scale) {
    if (!view) return;
    DWORD style = static_cast<DWORD>(SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    style |= LVS_EX_FULLROWSELECT;
    if (palette.gridLines()) style |= LVS_EX_GRIDLINES;
    SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
    ColumnSet set = columnSet(kind);
    for (int i = 0; i < set.count; ++i)
        insertColumn(view, i, set.columns[i].format, scale.px(widths[i]), set.columns[i].title);
    if (kind != PageKind::Conditions) {
        int index = set.count;
        for (const std::string& title : userColumns) {
            if (title.empty()) break;
            insertColumn(view, index++, LVCFMT_LEFT, scale.px(layout::kUserColumnWidth), title.c_str());
        }
    }
    SendMessageW(view, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(palette.back(false)));
}

void rescaleColumns(HWND view, const DpiScale& from, const DpiScale& to) {
    if (!view || from.dpi() == to.dpi()) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        SendMessageW(view, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                     MAKELPARAM(to.px(from.units(columnWidth(view, i))), 0));
}

void RowGeometry::read(HWND view) {
    if (painting_ > 0 && view_ == view) return;
    view_ = view;
    scroll_ = GetScrollPos(view, SB_HORZ);
    columns_ = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0)),
                                             HDM_GETITEMCOUNT, 0, 0));
    if (columns_ < 0) columns_ = 0;
    for (int c = 0; c < columns_ && c < kHeld; ++c) widths_[c] = columnWidth(view, c);
}

int RowGeometry::width(int column) const {
    if (column < 0 || column >= columns_) return 0;
    return column < kHeld ? widths_[column] : columnWidth(view_, column);
}

void paintRow(PageKind kind, const EntryList& list, const DRAWITEMSTRUCT& item, const ListPalette& palette,
              RowGeometry& geometry, const DpiScale& scale) {
    const int pad = scale.px(layout::kCellPadding);
    const Entry* row = list.entryAt(static_cast<int>(item.itemID));
    if (!row) return;
    ColumnSet set = columnSet(kind);
    if (!set.columns) return;
    geometry.read(item.hwndItem);
    fillRow(item, palette);
    const int top = item.rcItem.top, bottom = item.rcItem.bottom;
    int x = geometry.width(0) - geometry.scroll();
    drawCell(item.hDC, row->mark(), -1, item.rcItem.left, top, x, bottom, DT_CENTER);
    for (int c = 1; c < set.count; ++c) {
        int w = geometry.width(c);
        const ColumnSpec& spec = set.columns[c];
        const char* text = row->column(spec.logical);
        int len = spec.logical == kColName ? static_cast<int>(row->name().size()) : -1;
        if (spec.format == LVCFMT_RIGHT)
            drawCell(item.hDC, text, len, x, top, x + w - pad, bottom, DT_RIGHT);
        else
            drawCell(item.hDC, text, len, x + pad, top, x + w, bottom, DT_LEFT);
        x += w;
    }
    for (int i = 0, extras = row->extraCount(); i < extras; ++i) {
        int w = geometry.width(set.count + i);
        if (w > 0) drawCell(item.hDC, row->extra(i), -1, x + pad, top, x + w, bottom, DT_LEFT);
        x += w;
    }
}

const char* conditionUseMark(const Condition& condition) {
    if (condition.state == kConditionInactive) return "×";
    return condition.used ? "○" : "－";
}

const char* conditionActionMark(const Condition& condition) {
    switch (condition.state) {
        case kConditionMove:
            return "○";
        case kConditionIgnore:
            return "－";
        default:
            return "×";
    }
}

const char* conditionAbsentMark(const Condition& condition) {
    return condition.ignoreIfAbsent ? "○" : "－";
}

void paintCondition(const Condition& condition, const DRAWITEMSTRUCT& item, const ListPalette& palette,
                    const DpiScale& scale) {
    const int pad = scale.px(layout::kCellPadding);
    HWND view = item.hwndItem;
    int s = beginRow(item, palette);
    const int top = item.rcItem.top, bottom = item.rcItem.bottom;
    int x = columnWidth(view, 0) - s;
    // Every mark is one double-byte character: two bytes.
    drawCell(item.hDC, conditionUseMark(condition), 2, 0, top, x, bottom, DT_CENTER);
    int w = columnWidth(view, 1);
    drawCell(item.hDC, conditionActionMark(condition), 2, x, top, x + w, bottom, DT_CENTER);
    x += w;
    w = columnWidth(view, 2);
    drawCell(item.hDC, condition.text.data(), static_cast<int>(condition.text.size()), x + pad, top, x + w,
             bottom, DT_LEFT);
    x += w;
    w = columnWidth(view, 3);
    drawCell(item.hDC, condition.destinationName.data(), static_cast<int>(condition.destinationName.size()),
             x + pad, top, x + w, bottom, DT_LEFT);
    x += w;
    w = columnWidth(view, 4);
    drawCell(item.hDC, conditionAbsentMark(condition), 2, x, top, x + w, bottom, DT_CENTER);
}

void readColumnWidths(HWND view, std::int32_t* widths, int count, const DpiScale& scale) {
    if (!view) return;
    for (int i = 0; i < count; ++i) widths[i] = scale.units(columnWidth(view, i));
}

}  // namespace twk::ui
