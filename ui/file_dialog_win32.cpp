#include "ui/file_dialog_win32.h"

#include <commdlg.h>

#include "core/text.h"
#include "core/wide_text_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {
const wchar_t kTextFileFilter[] = L"text(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
}

bool chooseTextFile(HWND owner, bool save, const char* caption, const std::string& start,
                    std::string& chosen) {
    wchar_t file[260] = {};
    wchar_t title[260] = {};
    lstrcpynW(file, widen(start).c_str(), 260);
    lstrcpynW(title, widen(fileNamePart(start)).c_str(), 260);
    std::wstring wideCaption = widen(caption);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kTextFileFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = 260;
    ofn.lpstrTitle = wideCaption.c_str();
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = save ? OFN_OVERWRITEPROMPT : (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    chosen = fromWidePath(file);
    return true;
}

}  // namespace twk::ui
