// The pixel rules of the window's layout, in 96-DPI units: each is scaled to the window's DPI where it is
// used (core/dpi.h). The controls of the top rows keep the sizes of their dialog templates (dialog units,
// which follow the font and so the DPI); these rules place them and everything the templates do not cover.
#pragma once

namespace twk::ui::layout {

// The top row of every page with a list view: its controls stand on the template's first dialog units.
constexpr int kTopRowDialogUnits = 16;
constexpr int kListTopMin = 29;      // the list view's top at least
constexpr int kBelowTopRow = 1;      // between the top row's lowest control and the list view
constexpr int kCloseRight = 1;       // the close button's right edge from the page's right edge
constexpr int kBeforeClose = 5;      // list page: between 自動収集開始 and the close button
constexpr int kBbsRightMargin = 22;  // BBS page: 更新's right edge from the page's right edge
constexpr int kTopRowGap = 4;        // the least room between the left group and the right group of a top row

// The condition page's top row, from the right: 追加, the check box, the destination and its label.
constexpr int kCondAddRight = 5;
constexpr int kCondBeforeAdd = 8;
constexpr int kCondBeforeCheck = 5;
constexpr int kCondBeforeTarget = 3;
constexpr int kCondBeforeLabel = 13;
constexpr int kCondMinField = 40;  // the narrowest the condition's field gets

// The BBS page below its top row: the splitter, the browser's title with its close button, the browser tabs.
constexpr int kSplitter = 2;             // the splitter bar's thickness
constexpr int kSplitterGap = 1;          // between the list and the splitter bar
constexpr int kSplitterGrip = 3;         // how far past the list the splitter takes the mouse
constexpr int kMinListWidth = 2;         // the narrowest list side by side
constexpr int kStackedBrowserRoom = 58;  // the room a stacked list leaves the browser area
constexpr int kTitleHeight = 18;
constexpr int kTitleCloseRoom = 25;  // the title's right end from the page's right edge, stacked
// Stacked: the tops of the title, its close button and the browser tabs below the list's bottom.
constexpr int kStackedTitleTop = 6;
constexpr int kStackedCloseTop = 7;
constexpr int kStackedTabsTop = 27;
// Side by side: the browser area's left edge right of the list, and the tops below the list's top.
constexpr int kSideBySideLeft = 4;
constexpr int kSideBySideTitleTop = 2;
constexpr int kSideBySideCloseTop = 3;
constexpr int kSideBySideTabsTop = 23;
constexpr int kSideBySideTitleRoom = 24;  // the title's right end from the page's right edge

// The status bar's part edges (the last part reaches the window's right edge).
constexpr int kStatusEdges[] = {155, 225};

// Columns: the width of a user column, and the padding of a cell's text.
constexpr int kUserColumnWidth = 100;
constexpr int kCellPadding = 4;

// A row's height when the view has no row to measure and no font to ask.
constexpr int kFallbackRowHeight = 13;

}  // namespace twk::ui::layout
