// How the list views look: their columns, colours and the painting of one row from its Entry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/dpi.h"
#include "core/entry.h"
#include "settings/settings_keys.h"
#include "ui/handles_win32.h"

namespace twk {
class EntryList;
struct Condition;
}  // namespace twk

namespace twk::ui {

enum class PageKind : int { Normal = 0, Ignore = 1, Bbs = 2, Settings = 3, Conditions = 4 };

inline bool pageHoldsRows(PageKind kind) {
    return static_cast<int>(kind) <= static_cast<int>(PageKind::Bbs);
}

// The colours of the rows and the two fill brushes, made once at start.
class ListPalette {
  public:
    void load(const ListColours& colours);
    bool gridLines() const { return colours_.gridLines != 0; }
    COLORREF text(bool selected) const { return selected ? colours_.textSelect : colours_.textItem; }
    COLORREF back(bool selected) const { return selected ? colours_.backSelect : colours_.backItem; }
    HBRUSH brush(bool selected) const { return selected ? selectedBrush_.get() : itemBrush_.get(); }

  private:
    ListColours colours_;
    OwnedBrush itemBrush_;
    OwnedBrush selectedBrush_;
};

// The system colours the colour settings default to.
SystemColours currentSystemColours();

// The columns of the view of a page kind: extended style, fixed columns with the given widths (96-DPI units,
// shown at `scale`), the user columns (list and BBS pages) and the background colour.
void setupColumns(PageKind kind, HWND view, const std::int32_t* widths,
                  const std::vector<std::string>& userColumns, const ListPalette& palette,
                  const DpiScale& scale);
// Every column of the view from the pixels of one DPI to those of another, each keeping its width in units.
void rescaleColumns(HWND view, const DpiScale& from, const DpiScale& to);

// Number of fixed columns of a page kind's view.
int fixedColumnCount(PageKind kind);

// What painting a row reads from its view: the columns' widths and the horizontal scroll position. Each of
// them costs a message to the view or its header, several per cell; within one paint of the view they cannot
// change, so while a Paint lasts they are read once, at the first row, and otherwise afresh for every row.
class RowGeometry {
  public:
    class Paint {
      public:
        explicit Paint(RowGeometry& geometry) : geometry_(geometry) {
            if (geometry_.painting_++ == 0) geometry_.view_ = nullptr;
        }
        ~Paint() {
            if (--geometry_.painting_ == 0) geometry_.view_ = nullptr;
        }
        Paint(const Paint&) = delete;
        Paint& operator=(const Paint&) = delete;

      private:
        RowGeometry& geometry_;
    };

    // Reads `view` unless a paint of it has already read it.
    void read(HWND view);
    int scroll() const { return scroll_; }
    int width(int column) const;

  private:
    static constexpr int kHeld = 32;  // widths kept; any column beyond is asked for each time
    HWND view_ = nullptr;             // the view last read
    int painting_ = 0;
    int scroll_ = 0;
    int columns_ = 0;
    int widths_[kHeld] = {};
};

// Paints the row at the item's position (list and BBS pages).
void paintRow(PageKind kind, const EntryList& list, const DRAWITEMSTRUCT& item, const ListPalette& palette,
              RowGeometry& geometry, const DpiScale& scale);
// Paints one condition (condition page).
void paintCondition(const Condition& condition, const DRAWITEMSTRUCT& item, const ListPalette& palette,
                    const DpiScale& scale);

// The texts of a condition's three mark cells (使用, 移動, 不存在時に無視).
const char* conditionUseMark(const Condition& condition);
const char* conditionActionMark(const Condition& condition);
const char* conditionAbsentMark(const Condition& condition);

// Reads the widths of the first `count` columns of a view shown at `scale`, in 96-DPI units.
void readColumnWidths(HWND view, std::int32_t* widths, int count, const DpiScale& scale);

}  // namespace twk::ui
