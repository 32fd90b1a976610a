#include "ui/host_export_win32.h"

#include <string>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/progress.h"
#include "core/report.h"
#include "core/row_commands.h"
#include "core/text.h"
#include "formats/file_io.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"
#include "resources/resource.h"
#include "ui/host_bridge_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

const char* const kMsgExported = "%d件の情報をダウンリストに追加しました";
// The host's ignore file lies beside its download list.
const char* const kIgnoreFileName = "Ignore.txt";
// The hash is the fifth comma-separated field of a host file line.
constexpr int kHashField = 4;

// The hashes of the file's lines: the fifth field of every line with at least five commas, when not empty.
void collectHashes(TextBuffer& text, HashSet& hashes) {
    std::size_t length = 0;
    while (char* line = text.nextLine(&length)) {
        int commas = 0;
        std::size_t fieldStart = 0, fieldEnd = 0;
        for (std::size_t i = 0; i < length && commas <= kHashField; ++i) {
            if (line[i] != ',') continue;
            ++commas;
            if (commas == kHashField) fieldStart = i + 1;
            if (commas == kHashField + 1) fieldEnd = i;
        }
        if (commas > kHashField && fieldEnd > fieldStart)
            hashes.add(std::string_view(line + fieldStart, fieldEnd - fieldStart));
    }
}

}  // namespace

void HostExport::exportRows(bool ignoreFile) {
    EntryList* list = pages_.currentList();
    ListViewOps* view = pages_.currentView();
    SettingsPage* settings = settings_();
    if (!list || !view || !settings) return;
    std::string downList = settings->path(IDC_SET_DOWNLIST, 259);
    std::string path = ignoreFile ? folderPart(downList) + kIgnoreFileName : downList;

    // The file read, the lines made and written as one piece of long work; what went wrong is said after it.
    enum class Failure { None, Open, Memory, Write } failure = Failure::None;
    int lines = 0;
    {
        LongWork work;
        HashSet existing;
        TextBuffer text;
        if (text.loadFileOk(path)) {
            collectHashes(text, existing);
            text.release();
            list->syncSelectionFromView();
            const bool bbs = list->kind() == ListKind::Bbs;
            const int form =
                ignoreFile ? (bbs ? IgnoreBbsForm : IgnoreForm) : (bbs ? DownloadBbsForm : DownloadForm);
            SerializedRows rows = serializeRows(*list, form | SelectedOnly, &existing);
            lines = rows.block ? rows.lines : 0;
            if (rows.noMemory) failure = Failure::Memory;
            // Nothing is claimed for lines that did not reach the file, and the file is left as it was.
            else if (lines > 0 && !appendFileContents(path, rows.block.get(), rows.length))
                failure = Failure::Write;
        } else {
            failure = Failure::Open;
        }
    }
    switch (failure) {
        case Failure::None:
            break;
        case Failure::Open:
            errorBox(kMsgCannotOpen, path.c_str());
            return;
        case Failure::Memory:
            reportAllocationFailure(ignoreFile ? MemoryPlace::ExportIgnoreFile : MemoryPlace::ExportDownList);
            return;
        case Failure::Write:
            errorBox(kMsgCannotWrite, path.c_str());
            return;
    }
    showCounts(view);
    showMessage(kMsgExported, lines);
    if (lines > 0 && settings->checked(IDC_SET_AUTORELOAD)) host_.reloadHostList(ignoreFile);
}

}  // namespace twk::ui
