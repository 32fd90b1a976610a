// Files that cannot be written or read. A write that fails leaves the old file byte for byte, keeps the rows
// in the program and says once which file failed; a file that cannot be read empties no list and no setting,
// and one that was cut or damaged gives what its good lines say.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
         main.tabs().pageList(0)->setPath(main.shared().folder + "lists\\saved.txt");
         saveWith(main, ID_FILE_SAVE);
     },
     expectListKept},
    {"SaveAs", "lists\\saved.txt", kListLine, false,
     [](FileFaultTest&, MainWindow& main) {
         main.files().setFileChooser([&main](bool, std::string& chosen) {
             chosen = main.shared().folder + "lists\\saved.txt";
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
     [](MainWindow& main) { EXPECT_EQ(main.shared().histories[kFileHistory].entry(0), "C:\\kept.txt"); }},
    {"IgnoreListTxt", "IgnoreList.txt", kListLine, true, nullptr,
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(1)->count(), 3); }},
    {"BbsListTxt", "BbsList.txt", kListLine, true, nullptr,
     [](MainWindow& main) {
         EntryList* bbs = main.tabs().pageList(3);
         ASSERT_NE(bbs, nullptr);
         EXPECT_EQ(bbs->count(), 1);  // the thread its file brought
     }},
    {"ConditionListTxt", "ConditionList.txt", kConditionLine, true, nullptr,
     [](MainWindow& main) { EXPECT_EQ(main.shared().conditions.count(), 1); }},
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
        main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
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

// ---------------------------------------------------------------------------------------------------------------
// Files the program reads. One it cannot read changes nothing; a cut or damaged one that it can read gives
// the rows or settings its lines say, and nothing else.

// A list-file row with a hash of its own (rows of different numbers never merge).
std::string fileRow(int n, const std::string& name = "kept") {
    char hash[40];
    std::snprintf(hash, sizeof hash, "%030d%02d", 7, n);
    return name + "\ttrip\t5\tx\t1\tJan 01 00:00\t1\t" + hash + "\r\n";
}

// The same bytes every run: no TAB (so they make no row), NULs and bytes of 0x80 and above among them.
std::string noise(std::size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>((seed >> 16) & 0xFF);
        if (c == '\t') c = '\0';
    }
    return bytes;
}

// The first byte of a double-byte character, left alone at the end of a cut file.
const std::string kLoneLead = "\x93";

// A damaged text: `good` lines after noise and before noise that ends in a lone first byte. The empty line
// after the noise keeps a first byte at its end from taking the line end of `good`'s first line.
std::string inNoise(const std::string& good) {
    return noise(4096, 1) + "\r\n\r\n" + good + noise(1024, 2) + kLoneLead;
}

// Readable list files as a cut or damaged file holds them, and the rows their lines make.
struct ListContent {
    const char* name;
    std::string bytes;
    int rows;
};

const ListContent kListContents[] = {
    {"CutInALine", fileRow(1) + fileRow(2) + "third\ttrip\t5", 2},
    // The last row's extra column ends in the first byte of 張.
    {"CutInACharacter",
     fileRow(1) + fileRow(2, "日本語").substr(0, fileRow(2, "日本語").size() - 2) + "\t拡" +
         std::string(1, "張"[0]),
     2},
    {"Binary", inNoise(fileRow(1) + fileRow(2)), 2},
    {"VeryLongLines", std::string(200000, 'x') + "\r\n" + fileRow(1, std::string(5000, 'n')) + fileRow(2), 2},
};

// How a list file comes into a list.
enum class Reading { Open, OpenNew, OpenAdd, Drop };

struct ReadCommand {
    const char* name;
    Reading how;
};

void PrintTo(const ReadCommand& c, std::ostream* out) {
    *out << c.name;
}

const ReadCommand kReadCommands[] = {{"Open", Reading::Open},
                                     {"OpenNew", Reading::OpenNew},
                                     {"OpenAdd", Reading::OpenAdd},
                                     {"Drop", Reading::Drop}};

class ReadListFault : public FileFaultTest, public ::testing::WithParamInterface<ReadCommand> {
  protected:
    // A list saved to a.txt and changed since, beside an ignore and a BBS list with rows of their own.
    void SetUp() override {
        FileFaultTest::SetUp();
        start();
        list_ = main_->tabs().pageList(0);
        addRows(*list_, 3);
        old_ = folder_ + "a.txt";
        list_->setPath(old_);
        send(ID_FILE_SAVE);
        addRows(*list_, 1, 5);
        addRows(*main_->tabs().pageList(1), 2, 10);
        addRows(*main_->tabs().pageList(3), 3, 20);
        main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
        path_ = folder_ + "b.txt";
    }

    void read() {
        switch (GetParam().how) {
            case Reading::Drop:
                SendMessageW(view(0), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({widen(path_)})), 0);
                return;
            case Reading::Open:
            case Reading::OpenNew:
            case Reading::OpenAdd:
                main_->files().setFileChooser([this](bool, std::string& chosen) {
                    chosen = path_;
                    return true;
                });
                send(GetParam().how == Reading::Open      ? ID_FILE_OPEN
                     : GetParam().how == Reading::OpenNew ? ID_FILE_OPENNEW
                                                          : ID_FILE_OPENADD);
                return;
        }
    }

    // The list that was there: its rows, path, tab title and modified state as before the read.
    void expectOldListKept() {
        EXPECT_EQ(list_->count(), 4);
        EXPECT_EQ(list_->path(), old_);
        EXPECT_TRUE(list_->modified());
        const int at = main_->tabs().indexOfList(list_);
        ASSERT_GE(at, 0);
        EXPECT_EQ(main_->tabs().tabText(at), "新規リスト01");
    }
    void expectOtherListsKept() {
        EXPECT_EQ(main_->tabs().pageList(main_->tabs().count() - 4)->count(), 2);  // 無視リスト
        EXPECT_EQ(main_->tabs().pageList(main_->tabs().count() - 2)->count(), 3);  // BBSリスト
    }

    EntryList* list_ = nullptr;
    std::string old_, path_;
};

// Why a file cannot be read: another program holds it, a folder has its name, or fewer bytes could be read
// than its size (a file cut while it was read).
struct ReadFault {
    const char* name;
    Fault fault;  // HeldOpen or FolderInPlace; HeldOpen stands for the file itself in a short read
    bool shortRead;
};
const ReadFault kReadFaults[] = {
    {"held open", Fault::HeldOpen, false},
    {"folder in its place", Fault::FolderInPlace, false},
    {"short read", Fault::HeldOpen, true},
};

TEST_P(ReadListFault, AFileThatCannotBeReadChangesNothing) {
    for (const ReadFault& r : kReadFaults) {
        SCOPED_TRACE(r.name);
        if (r.shortRead)
            writeBytes(path_, fileRow(1));
        else
            applyFault(r.fault, path_, fileRow(1));
        if (HasFatalFailure()) return;
        BoxCatcher boxes;
        if (r.shortRead) injectFileReadFailure(static_cast<long long>(fileRow(1).size() / 2));
        read();
        injectFileReadFailure(-1);
        // A dropped folder is passed over without a word.
        if (r.fault == Fault::FolderInPlace && GetParam().how == Reading::Drop)
            EXPECT_TRUE(boxes.boxes.empty());
        else
            expectOneBox(boxes, path_, kMsgCannotOpen);
        expectOldListKept();
        expectOtherListsKept();
        EXPECT_EQ(main_->tabs().count(), 5);  // 新規に開く leaves no empty tab
        EXPECT_EQ(main_->shared().histories[kFileHistory].count(), 1);
        expectUntouched(r.fault, path_, fileRow(1));
        RemoveDirectoryW(widen(path_).c_str());
    }
}

TEST_P(ReadListFault, ACutOrDamagedFileGivesTheRowsItsLinesMake) {
    for (const ListContent& content : kListContents) {
        SCOPED_TRACE(content.name);
        writeBytes(path_, content.bytes);
        BoxCatcher boxes;
        read();
        const bool added = GetParam().how == Reading::OpenAdd;
        const bool asNew = GetParam().how == Reading::OpenNew;
        EntryList* opened = main_->tabs().pageList(main_->tabs().current());
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened == list_, !asNew);
        EXPECT_EQ(opened->count(), content.rows + (added ? 4 : 0));
        EXPECT_EQ(opened->path(), path_);
        EXPECT_EQ(opened->modified(), added);
        EXPECT_EQ(main_->tabs().tabText(main_->tabs().current()), "b.txt");
        EXPECT_EQ(status(kStatusMessage),
                  stamped(path_ + " から" + std::to_string(content.rows) + "件の情報を読み込みました"));
        EXPECT_TRUE(boxes.boxes.empty());
        expectOtherListsKept();
        EXPECT_EQ(readBytes(path_), content.bytes);
        if (asNew) {
            expectOldListKept();
            main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
            send(ID_FILE_CLOSE);  // back to the one list for the next content
        } else {
            // The next content reads into the list as this one left it.
            list_->clear();
            if (list_->view()) list_->view()->deleteAllItems();
            addRows(*list_, 4);
            list_->setPath(old_);
            main_->tabs().setTabText(0, "新規リスト01");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ReadListFault, ::testing::ValuesIn(kReadCommands),
                         [](const ::testing::TestParamInfo<ReadCommand>& p) { return p.param.name; });

// A file the program reads at the start: what it held before, the good lines a damaged copy still holds, a
// line of it cut in the middle of a double-byte character, what the program holds when the file could not be
// read (the defaults) and when its good lines were read, and what the file holds after the close that
// followed.
struct StartFile {
    const char* name;
    const char* file;
    std::string good;
    std::string cutLine;
    std::function<void(MainWindow&)> expectDefaults;
    std::function<void(MainWindow&)> expectGood;
    // Given the file before the run and after the close.
    std::function<void(const std::string&, const std::string&)> expectAfterClose;
};

void PrintTo(const StartFile& f, std::ostream* out) {
    *out << f.name;
}

const std::string kGoodRows = fileRow(1) + fileRow(2);
const std::string kGoodDefinitions = "[Tollwick]\r\nTabWidth=77\r\nState00=完全キャッシュ\r\n";

// Whether every byte of `before` is still in `after`, in order (settings were added or set to the same
// values, none taken away).
bool keptWithin(const std::string& before, const std::string& after) {
    std::size_t at = 0;
    for (char c : after)
        if (at < before.size() && before[at] == c) ++at;
    return at == before.size();
}

const StartFile kStartFiles[] = {
    {"TwkIni", "TWK.ini", kSettingsText, "UserColumn00=" + std::string(1, "列"[0]),
     [](MainWindow& main) { EXPECT_EQ(main.shared().histories[kFileHistory].count(), 0); },
     [](MainWindow& main) { EXPECT_EQ(main.shared().histories[kFileHistory].entry(0), "C:\\kept.txt"); },
     [](const std::string& before, const std::string& after) {
         EXPECT_TRUE(keptWithin(before, after));
         EXPECT_NE(after.find("History00=C:\\kept.txt\r\n"), std::string::npos);
     }},
    {"TwkDefIni", "TWKdef.ini", kGoodDefinitions, "VobraTitle=" + std::string(1, "日"[0]),
     [](MainWindow& main) { EXPECT_EQ(main.host().layout().tabWidth, 90); },
     [](MainWindow& main) {
         EXPECT_EQ(main.host().layout().tabWidth, 77);
         EXPECT_EQ(main.host().layout().fileStates, std::vector<std::string>{"完全キャッシュ"});
     },
     [](const std::string& before, const std::string& after) { EXPECT_EQ(after, before); }},
    {"IgnoreListTxt", "IgnoreList.txt", kGoodRows, "日本\ttrip\t5" + std::string(1, "語"[0]),
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(1)->count(), 0); },
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(1)->count(), 2); },
     [](const std::string&, const std::string& after) { EXPECT_EQ(after, kGoodRows); }},
    {"BbsListTxt", "BbsList.txt", kGoodRows, "日本\ttrip\t5" + std::string(1, "語"[0]),
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(3)->count(), 0); },
     [](MainWindow& main) { EXPECT_EQ(main.tabs().pageList(3)->count(), 2); },
     [](const std::string&, const std::string& after) { EXPECT_EQ(after, kGoodRows); }},
    {"ConditionListTxt", "ConditionList.txt", kConditionLine, "1\t日" + std::string(1, "本"[0]),
     [](MainWindow& main) { EXPECT_EQ(main.shared().conditions.count(), 0); },
     [](MainWindow& main) { EXPECT_EQ(main.shared().conditions.count(), 1); },
     [](const std::string&, const std::string& after) { EXPECT_EQ(after, kConditionLine); }},
};

class StartFileFault : public FileFaultTest, public ::testing::WithParamInterface<StartFile> {
  protected:
    // What a run changes in every file it writes at the close.
    void changeEverything() {
        main_->shared().histories[kFileHistory].pushFront("C:\\new.txt");
        addRows(*main_->tabs().pageList(1), 1, 30);
        addRows(*main_->tabs().pageList(3), 1, 40);
        main_->shared().conditions.add("new", "", false);
    }
    // Closes as the user does: nothing holds the window back and nothing is said.
    void closeQuietly() {
        BoxCatcher boxes;
        closeWindow();
        EXPECT_TRUE(boxes.boxes.empty());
    }
};

// Unreadable at the start: the program runs on the defaults, and the close leaves the file for the next run
// even when it could be written by then.
TEST_P(StartFileFault, AFileThatCannotBeReadIsLeftForTheNextRun) {
    const StartFile& f = GetParam();
    const std::string path = folder_ + f.file;
    for (Fault fault : {Fault::HeldOpen, Fault::FolderInPlace}) {
        SCOPED_TRACE(fault == Fault::HeldOpen ? "held open" : "folder in its place");
        applyFault(fault, path, f.good);
        if (HasFatalFailure()) return;
        start();
        f.expectDefaults(*main_);
        changeEverything();
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);  // free again before the close
        held_ = INVALID_HANDLE_VALUE;
        closeQuietly();
        expectUntouched(fault, path, f.good);
        RemoveDirectoryW(widen(path).c_str());
    }
}

TEST_P(StartFileFault, ACutOrDamagedFileGivesWhatItsGoodLinesSay) {
    const StartFile& f = GetParam();
    const std::string path = folder_ + f.file;
    for (const std::string& bytes : {f.good + f.cutLine, inNoise(f.good)}) {
        SCOPED_TRACE(bytes.size());
        writeBytes(path, bytes);
        start();
        f.expectGood(*main_);
        closeQuietly();
        f.expectAfterClose(bytes, readBytes(path));
        DeleteFileW(widen(path).c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, StartFileFault, ::testing::ValuesIn(kStartFiles),
                         [](const ::testing::TestParamInfo<StartFile>& p) { return p.param.name; });

}  // namespace
}  // namespace twk::ui::test
