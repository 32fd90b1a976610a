// Files that cannot be written or read. A write that fails leaves the old file byte for byte, keeps the rows
// in the program and says once which file failed; a file that cannot be read empties no list and no setting.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "formats/file_io.h"
#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

enum class Fault { ReadOnly, HeldOpen, FolderMissing, FolderInPlace };

const char* const kHash = "0123456789abcdef0123456789abcdef";
// A row of a list file, a condition, a host line and a settings file, as another run left them.
const std::string kListLine = std::string("kept\ttrip\t5\tx\t1\tJan 01 00:00\t1\t") + kHash + "\r\n";
const std::string kConditionLine = "1\tkept\t\t0\r\n";
const std::string kHostLine = std::string("kept,,0,0,") + kHash + ",1\r\n";
const std::string kSettingsText = "[Tollwick]\r\nHistoryMax=10\r\nHistory00=C:\\kept.txt\r\n";

void writeBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string readBytes(const std::string& path) {
    FileBytes bytes;
    if (readWholeFile(path, kMaxTextFileSize, bytes) != FileReadStatus::Ok) return "(unreadable)";
    return std::string(bytes.data.get(), bytes.size);
}

DWORD attributes(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str());
}

class FileFaultTest : public WindowTest {
  protected:
    void TearDown() override {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        if (!faulted_.empty()) SetFileAttributesW(widen(faulted_).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!faulted_.empty()) RemoveDirectoryW(widen(faulted_).c_str());
        for (const std::string& sub : {folder_ + "lists", folder_ + "host"}) removeFolder(sub + "\\");
        WindowTest::TearDown();
    }

    // Puts the fault on the file at `path` (which holds `old`, or is still to be made in a missing folder).
    void applyFault(Fault fault, const std::string& path, const std::string& old) {
        faulted_ = path;
        switch (fault) {
            case Fault::ReadOnly:
                writeBytes(path, old);
                SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
                break;
            case Fault::HeldOpen:
                writeBytes(path, old);
                held_ = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
                ASSERT_NE(held_, INVALID_HANDLE_VALUE);
                break;
            case Fault::FolderMissing:
                DeleteFileW(widen(path).c_str());
                RemoveDirectoryW(widen(path.substr(0, path.rfind('\\'))).c_str());
                break;
            case Fault::FolderInPlace:
                DeleteFileW(widen(path).c_str());
                ASSERT_TRUE(CreateDirectoryW(widen(path).c_str(), nullptr));
                break;
        }
    }

    // The file as the fault left it: its old bytes, still missing, or still a folder, and no temporary file.
    void expectUntouched(Fault fault, const std::string& path, const std::string& old) {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
        if (fault == Fault::FolderMissing)
            EXPECT_EQ(attributes(path), INVALID_FILE_ATTRIBUTES);
        else if (fault == Fault::FolderInPlace)
            EXPECT_TRUE(attributes(path) & FILE_ATTRIBUTE_DIRECTORY);
        else
            EXPECT_EQ(readBytes(path), old);
        EXPECT_EQ(attributes(path + kReplaceSuffix), INVALID_FILE_ATTRIBUTES);
    }

    // Exactly one box names the file, and it is `message`.
    void expectOneBox(const BoxCatcher& boxes, const std::string& path, const char* message) {
        int naming = 0;
        for (const std::string& box : boxes.boxes) naming += box.find(path) != std::string::npos;
        EXPECT_EQ(naming, 1);
        char expected[kReportBufferSize];
        std::snprintf(expected, sizeof expected, message, path.c_str());
        EXPECT_NE(std::find(boxes.boxes.begin(), boxes.boxes.end(), stamped(expected)), boxes.boxes.end())
            << expected;
    }

    HANDLE held_ = INVALID_HANDLE_VALUE;
    std::string faulted_;
};

// A file the program writes: where it is, what it held before, how the program comes to write it and what
// must still be in the program afterwards.
struct WrittenFile {
    const char* name;
    const char* file;  // under the test folder
    std::string old;
    bool atClose;                                          // written by closing the window
    std::function<void(FileFaultTest&, MainWindow&)> run;  // the command that writes it
    std::function<void(MainWindow&)> expectKept;
    bool exported = false;  // read first: a file that cannot be read is reported as not opened
};

void PrintTo(const WrittenFile& f, std::ostream* out) {
    *out << f.name;
}

void saveWith(MainWindow& main, int command) {
    SendMessageW(main.hwnd(), WM_COMMAND, command, 0);
}

void expectListKept(MainWindow& main) {
    EntryList& list = *main.tabs().pageList(0);
    EXPECT_EQ(list.count(), 3);
    EXPECT_TRUE(list.modified());
    EXPECT_EQ(main.tabs().tabText(0), "新規リスト01");
}

const WrittenFile kWrittenFiles[] = {
    {"Save", "lists\\saved.txt", kListLine, false,
     [](FileFaultTest&, MainWindow& main) {
         main.tabs().pageList(0)->setPath(main.programFolder() + "lists\\saved.txt");
         saveWith(main, ID_FILE_SAVE);
     },
     expectListKept},
    {"SaveAs", "lists\\saved.txt", kListLine, false,
     [](FileFaultTest&, MainWindow& main) {
         main.setFileChooser([&main](bool, std::string& chosen) {
             chosen = main.programFolder() + "lists\\saved.txt";
             return true;
         });
         saveWith(main, ID_FILE_SAVEAS);
         EXPECT_EQ(main.tabs().pageList(0)->path(), "");
     },
     expectListKept},
    {"DownloadTxt", "host\\Download.txt", kHostLine, false,
     [](FileFaultTest&, MainWindow& main) { saveWith(main, ID_EDIT_ADDDOWNLIST); }, expectListKept, true},
    {"IgnoreTxt", "host\\Ignore.txt", kHostLine, false,
     [](FileFaultTest&, MainWindow& main) { saveWith(main, ID_EDIT_ADDIGNORE); }, expectListKept, true},
    {"TwkIni", "TWK.ini", kSettingsText, true, nullptr,
     [](MainWindow& main) { EXPECT_EQ(main.histories()[kFileHistory].entry(0), "C:\\kept.txt"); }},
    {"IgnoreListTxt", "IgnoreList.txt", kListLine, true, nullptr,
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(1)->count(), 3); }},
    {"BbsListTxt", "BbsList.txt", kListLine, true, nullptr,
     [](MainWindow& main) {
         EntryList* bbs = main.tabs().pageList(3);
         ASSERT_NE(bbs, nullptr);
         EXPECT_EQ(bbs->count(), 1);  // the thread its file brought
     }},
    {"ConditionListTxt", "ConditionList.txt", kConditionLine, true, nullptr,
     [](MainWindow& main) { EXPECT_EQ(main.conditions().count(), 1); }},
};

class WrittenFileFault : public FileFaultTest, public ::testing::WithParamInterface<WrittenFile> {
  protected:
    void run(Fault fault) {
        const WrittenFile& f = GetParam();
        const std::string path = folder_ + f.file;
        if (!f.atClose)
            for (const char* sub : {"lists", "host"}) CreateDirectoryW(widen(folder_ + sub).c_str(), nullptr);
        writeSetting("DownList", (folder_ + "host\\Download.txt").c_str());
        writeSetting("AutoReload", "0");
        if (f.atClose) writeBytes(path, f.old);
        start();
        main_->setSaveQuestion([](const std::string&) { return IDNO; });
        // Rows of this run beside those the files brought.
        addRows(*main_->tabs().pageList(0), 3);
        for (EntryList* kept : {main_->tabs().pageList(1), main_->tabs().pageList(3)})
            addRows(*kept, 2 + (kept->count() == 0), 10);
        selectItems(0, {0, 1, 2});
        if (!f.atClose || fault != Fault::FolderMissing)
            applyFault(fault, path, f.old);
        else
            removeFolder(folder_);  // the program's folder has gone
        if (HasFatalFailure()) return;

        BoxCatcher boxes;
        if (f.atClose) {
            SendMessageW(hwnd_, WM_CLOSE, 0, 0);
            EXPECT_TRUE(IsWindow(hwnd_));  // the first close that cannot write keeps the window
        } else {
            f.run(*this, *main_);
        }
        const bool unread = f.exported && fault != Fault::ReadOnly;
        expectOneBox(boxes, path, unread ? kMsgCannotOpen : kMsgCannotWrite);
        expectUntouched(fault, path, f.old);
        f.expectKept(*main_);
    }
};

TEST_P(WrittenFileFault, ReadOnly) {
    run(Fault::ReadOnly);
}
TEST_P(WrittenFileFault, HeldOpenWithoutSharing) {
    run(Fault::HeldOpen);
}
TEST_P(WrittenFileFault, FolderMissing) {
    run(Fault::FolderMissing);
}
TEST_P(WrittenFileFault, FolderInItsPlace) {
    run(Fault::FolderInPlace);
}

INSTANTIATE_TEST_SUITE_P(Files, WrittenFileFault, ::testing::ValuesIn(kWrittenFiles),
                         [](const ::testing::TestParamInfo<WrittenFile>& p) { return p.param.name; });

}  // namespace
}  // namespace twk::ui::test
