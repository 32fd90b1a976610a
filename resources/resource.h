// Numbers of every resource, control and command of the program. Shared by the resource scripts and the code.
#pragma once

// Dialog templates.
#define IDD_MAIN 101
#define IDD_LISTPAGE 102
#define IDD_SETTINGS 103
#define IDD_BBSPAGE 105
#define IDD_CONDITIONS 128

// Menus and accelerators.
#define IDR_MAINMENU 104
#define IDR_TRAYMENU 109
#define IDR_BROWSERMENU 124
#define IDR_CONDITIONMENU 129
#define IDR_ACCELERATORS 116

// Icons.
#define IDI_MAIN 108
#define IDI_CLOSE 114
#define IDI_NEXTMARK 118
#define IDI_PREVMARK 119
#define IDI_SIDEBYSIDE 122
#define IDI_STACKED 123
#define IDI_TRAY_COLLECTING 126
#define IDI_TRAY_IDLE 127

// Controls of the main window and the list pages.
#define IDC_TABS 1000
#define IDC_LIST 1001
#define IDC_SEARCHWORD 1002
#define IDC_CLOSELIST 1005
#define IDC_MANUALGET 1009
#define IDC_AUTOCOLLECT 1010
#define IDC_SEARCH 1011
#define IDC_NEXTMARK 1015
#define IDC_PREVMARK 1016
#define IDC_HOSTWORD_GET 1022
#define IDC_HOSTWORD_SET 1023
#define IDC_HOSTWORD_LABEL 1024
#define IDC_HOSTWORD 1042
#define IDC_STATUSBAR 2001

// Controls of the BBS page (besides the shared ones above).
#define IDC_BBS_STACKED 1017
#define IDC_BBS_SIDEBYSIDE 1018
#define IDC_BBS_REFRESH 1026
#define IDC_BBS_BROWSERTABS 1028
#define IDC_BBS_SPLITTER 1036
#define IDC_BBS_TITLE 1038

// Controls of the condition page.
#define IDC_COND_TEXT 1048
#define IDC_COND_ADD 1049
#define IDC_COND_TARGET 1050
#define IDC_COND_TARGET_LABEL 1051
#define IDC_COND_IGNOREABSENT 1052

// Controls of the settings page.
#define IDC_SET_BROWSE 1003
#define IDC_SET_SAVE 1004
#define IDC_SET_AUTOSEARCH 1006
#define IDC_SET_DOWNLIST 1007
#define IDC_SET_TRAYICON 1008
#define IDC_SET_TIMERDELAY 1012
#define IDC_SET_TABMOVE1 1016
#define IDC_SET_TABMOVE2 1017
#define IDC_SET_TABMOVE3 1018
#define IDC_SET_ERRORCOUNT 1019
#define IDC_SET_AUTORELOAD 1020
#define IDC_SET_ROTATE 1025
#define IDC_SET_LOCALHOST 1039
#define IDC_SET_SPIN 1043
#define IDC_SET_AUTOSORT 1044
#define IDC_SET_REGEXP 1045

// Commands of the main menu, the tray menu and the accelerators.
#define ID_ENTER 1
#define ID_FILE_OPEN 40001
#define ID_FILE_SAVE 40002
#define ID_FILE_SAVEAS 40003
#define ID_FILE_EXIT 40004
#define ID_EDIT_CUT 40005
#define ID_EDIT_COPY 40006
#define ID_EDIT_PASTE 40007
#define ID_EDIT_DELETE 40008
#define ID_EDIT_SELECTALL 40009
#define ID_EDIT_INVERT 40010
#define ID_EDIT_CLEARSEL 40011
#define ID_COPY_DOWNLIST 40012
#define ID_EDIT_CLEARALL 40013
#define ID_EDIT_ADDDOWNLIST 40014
#define ID_GET_START 40015
#define ID_GET_STOP 40016
#define ID_GET_MANUAL 40018
#define ID_HISTORY_PLACEHOLDER 40020
#define ID_RESTORE 40021
#define ID_FILE_NEWLIST 40023
#define ID_FILE_CLOSE 40024
#define ID_FILE_OPENADD 40025
#define ID_FILE_OPENNEW 40026
#define ID_EDIT_MARKSELECTED 40027
#define ID_EDIT_SELECTMARKED 40028
#define ID_MOVE_PLACEHOLDER 40030
#define ID_FILTER_PLACEHOLDER 40031
#define ID_PREVTAB 40032
#define ID_NEXTTAB 40033
#define ID_FOCUS_FORWARD 40034
#define ID_FOCUS_BACKWARD 40035
#define ID_NEXTMARK 40037
#define ID_PREVMARK 40038
#define ID_COPY_NAMES 40039
#define ID_COPY_HASHES 40040
#define ID_BROWSER_REFRESH 40041
#define ID_BROWSER_CLOSE 40042
#define ID_FIND_IN_PAGE 40043
#define ID_HOST_SEARCHTAB 40044
#define ID_HOST_TOGGLE 40045
#define ID_EDIT_ADDIGNORE 40047
#define ID_COPY_TRIPS 40050
#define ID_COPY_KEYINFO 40051
#define ID_VIEW_HIDE 40052
#define ID_COND_DELETE 40054
#define ID_COND_SELECTALL 40055
#define ID_COND_USE 40056
#define ID_COND_UNUSE 40057
#define ID_COND_UP 40058
#define ID_COND_DOWN 40059
#define ID_COND_RELOAD 40060
#define ID_COND_SAVE 40061

// Timers of the main window.
#define IDT_COLLECTION 2003     // a cycle of the automatic collection
#define IDT_JOURNAL_POINT 2004  // the recovery journal takes in the changes made since its last point
#define IDT_JOURNAL_FLUSH 2005  // what the journal wrote goes to the disk

// Private messages of the main window. TWK_JOURNAL_NOW: a journal point and its flush at once (wParam and
// lParam 0; returns 1 when the journal is written and flushed, 0 when it is off or could not be written).
#define TWK_JOURNAL_NOW 0x8010  // WM_APP + 0x10

// Dynamic command ranges, each 300 ids wide.
#define ID_HISTORY_FIRST 2024
#define ID_MOVETO_FIRST 2324
#define ID_FILTER_FIRST 2624
#define ID_DYNAMIC_RANGE 300
