// The host link against the host simulator in another process: windows, clicks, words, plug-ins and the
// result table read across the process boundary. Every read is done both ways (field reads and reads of the
// table in blocks), and the two must give the same result, seen count and rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "core/entry_list.h"
#include "host/host_link.h"
#include "host/host_system_win32.h"
#include "settings/profile_file.h"
#include "support/fakes.h"
#include "tools/vobra_sim/sim_driver_win32.h"
#include "tools/vobra_sim/sim_protocol.h"

namespace twk {
namespace {

using vobra_sim::SimOptions;
using vobra_sim::SimProcess;

std::string row(const std::string& name, const std::string& status, const std::string& hash,
                const std::string& amount = "10") {
    return name + "\ttrip\t1,024\t" + status + "\t" + amount + "\t12/08 10:00\t1.2\t" + hash + "\n";
}

std::string rows(int n, const std::string& status = "完全キャッシュ") {
    std::string out;
    char name[64], hash[64];
    for (int i = 0; i < n; ++i) {
        std::snprintf(name, sizeof name, "file%04d.zip", i);
        std::snprintf(hash, sizeof hash, "%032X", 0x1000 + i);
        out += row(name, status, hash, std::to_string(i));
    }
    return out;
}

// A folder holding copies of the chosen sample plug-ins, made the plug-in folder. Returns the folder.
std::string usePlugins(bool ap, bool replace) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "twk_plugins_" + std::to_string(GetCurrentProcessId()) + "_" +
                      (ap ? "a" : "") + (replace ? "r" : "") + "x";
    CreateDirectoryA(dir.c_str(), nullptr);
    if (ap) CopyFileA(vobra_sim::windowsPath(TWK_AP_DLL).c_str(), (dir + "\\ap.dll").c_str(), FALSE);
    if (replace)
        CopyFileA(vobra_sim::windowsPath(TWK_REPLACE_DLL).c_str(), (dir + "\\Replace.dll").c_str(), FALSE);
    systemHost().setPluginFolder(std::wstring(dir.begin(), dir.end()));
    return dir;
}

// Removes the plug-in folders again (the reader frees the libraries after each read).
void removePluginFolders() {
    systemHost().setPluginFolder(std::wstring());
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    for (const char* suffix : {"x", "ax", "rx", "arx"}) {
        std::string dir =
            std::string(temp) + "twk_plugins_" + std::to_string(GetCurrentProcessId()) + "_" + suffix;
        DeleteFileA((dir + "\\ap.dll").c_str());
        DeleteFileA((dir + "\\Replace.dll").c_str());
        RemoveDirectoryA(dir.c_str());
    }
}

std::string dump(const EntryList& list) {
    std::string out;
    for (int i = 0; i < list.count(); ++i) {
        const Entry& e = *list.entryAt(i);
        out += e.name() + "|" + e.trip() + "|" + e.size() + "|" + e.status() + "|" + e.refAmount() + "|" +
               e.updateTime() + "|" + e.ver() + "|" + e.hash() + "\n";
    }
    return out;
}

struct Collected {
    int result = 0;
    int seen = 0;
    std::string rows;
    int count = 0;
};

class TestRouter : public RecordRouter {
  public:
    bool routeAway(const RawRecord& r, EntryList&, int mode) override {
        if (std::strncmp(r.name, "drop", 4) == 0) return true;
        if (std::strncmp(r.name, "move", 4) == 0) {
            destination->addRawRecord(r, mode);
            return true;
        }
        return false;
    }
    EntryList* destination = nullptr;
};

class HostSimTest : public ::testing::Test {
  protected:
    HostSimTest() : reporting_(&reporter_), link_(systemHost(), layout_) {
        layout_.fileStates = {"完全キャッシュ", "部分キャッシュ"};
        layout_.bbsStates = {"書可スレッド", "更新スレッド"};
        usePlugins(false, false);
    }
    ~HostSimTest() override {
        sims_.clear();
        removePluginFolders();
    }

    SimProcess& start(const std::string& records, SimOptions o = SimOptions()) {
        sims_.push_back(std::make_unique<SimProcess>());
        std::string error;
        EXPECT_TRUE(sims_.back()->start(TWK_SIM_EXE, o, &error)) << error;
        if (!records.empty()) {
            EXPECT_TRUE(sims_.back()->setRecords(records));
        }
        return *sims_.back();
    }

    // One collection into a fresh list of `kind`, with the start address found as a new run would.
    Collected collect(ReadMethod method, ListKind kind = ListKind::Normal, EntryList* into = nullptr) {
        EntryList fresh(kind);
        EntryList& list = into ? *into : fresh;
        link_.options().method = method;
        const auto& words = list.kind() == ListKind::Bbs ? layout_.bbsStates : layout_.fileStates;
        Collected c;
        c.result = link_.readHostResults(words, list, c.seen, 0);
        c.rows = dump(list);
        c.count = list.count();
        return c;
    }

    // Both ways, from the same starting state; they must agree.
    Collected collectBoth() {
        std::uint32_t start = layout_.startPtr;
        std::size_t boxes = reporter_.boxes.size();
        Collected a = collect(ReadMethod::FieldReads);
        std::size_t boxesA = reporter_.boxes.size() - boxes;
        layout_.startPtr = start;
        Collected b = collect(ReadMethod::TableReads);
        EXPECT_EQ(a.result, b.result);
        EXPECT_EQ(a.seen, b.seen);
        EXPECT_EQ(a.rows, b.rows);
        EXPECT_EQ(boxesA, reporter_.boxes.size() - boxes - boxesA);
        return b;
    }

    test::RecordingReporter reporter_;
    test::ScopedReporter reporting_;
    LayoutDefinitions layout_;
    HostLink link_;
    std::vector<std::unique_ptr<SimProcess>> sims_;
};

TEST_F(HostSimTest, CollectsAcceptedRecordsWithEveryField) {
    start(rows(3) + row("部分.mp3", "部分キャッシュ", "P1") + row("仮想.txt", "仮想ファイル", "V1") +
          row("thread", "書可スレッド", "T1") + row("last_one.zip", "完全キャッシュ", "L1"));
    layout_.startPtr = kDefaultStartPtr;
    Collected c = collectBoth();
    EXPECT_EQ(c.result, 5);
    EXPECT_EQ(c.seen, 5);
    EXPECT_EQ(c.rows,
              "file0000.zip|trip|1,024|完全キャッシュ|0|12/08 10:00|1.2|00000000000000000000000000001000\n"
              "file0001.zip|trip|1,024|完全キャッシュ|1|12/08 10:00|1.2|00000000000000000000000000001001\n"
              "file0002.zip|trip|1,024|完全キャッシュ|2|12/08 10:00|1.2|00000000000000000000000000001002\n"
              "部分.mp3|trip|1,024|部分キャッシュ|10|12/08 10:00|1.2|P1\n"
              "last_one.zip|trip|1,024|完全キャッシュ|10|12/08 10:00|1.2|L1\n");
    layout_.startPtr = kDefaultStartPtr;
    Collected bbs = collect(ReadMethod::TableReads, ListKind::Bbs);
    EXPECT_EQ(bbs.result, 1);
    EXPECT_TRUE(reporter_.boxes.empty());
}

TEST_F(HostSimTest, StartAddressComesFromThePluginOrTheSettings) {
    SimOptions o;
    o.move = 0x5000;  // the table is not at the fixed address: only the plug-in finds it
    SimProcess& sim = start(rows(4), o);

    Collected c = collectBoth();  // no plug-in: the message, then the fixed address, where nothing is
    EXPECT_EQ(c.result, 0);
    ASSERT_EQ(reporter_.boxes.size(), 2u);
    EXPECT_NE(reporter_.boxes[0].find(kMsgStartPtrFallback), std::string::npos);
    EXPECT_EQ(layout_.startPtr, kDefaultStartPtr);
    collect(ReadMethod::TableReads);
    EXPECT_EQ(reporter_.boxes.size(), 2u) << "the address found stays for the run";

    usePlugins(true, false);
    layout_.startPtr = 0;
    c = collectBoth();
    EXPECT_EQ(c.result, 4);
    EXPECT_EQ(layout_.startPtr, kDefaultStartPtr + 0x5000);
    EXPECT_EQ(reporter_.boxes.size(), 2u);

    // The plug-in answers 0: with and without the message.
    ASSERT_EQ(sim.command(vobra_sim::kCmdPlugin, "0"), 1);
    layout_.startPtr = 0;
    EXPECT_EQ(collectBoth().result, 0);
    EXPECT_EQ(reporter_.boxes.size(), 4u);
    link_.options().noDialog = 1;
    layout_.startPtr = 0;
    link_.options().storedStartPtr = [] { return kDefaultStartPtr + 0x5000; };
    EXPECT_EQ(collectBoth().result, 4) << "the stored address is used";
    EXPECT_EQ(reporter_.boxes.size(), 4u);
}

TEST_F(HostSimTest, FirstStatusDecidesWhetherTheTableIsTrusted) {
    SimProcess& sim = start(row("up", "UPフォルダ内", "U0") + rows(2));
    layout_.startPtr = kDefaultStartPtr;
    Collected c = collectBoth();
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.seen, 2);

    sim.setRecords(row("odd", "ダウンロード中", "X0") + rows(2));
    c = collectBoth();
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.seen, 0);

    sim.setRecords("");
    EXPECT_EQ(collectBoth().result, 0);
}

TEST_F(HostSimTest, TableEndsAtEmptyNameUnreadableMemoryOrMaxItem) {
    SimProcess& sim = start(rows(12));
    layout_.startPtr = kDefaultStartPtr;
    ASSERT_EQ(sim.command(vobra_sim::kCmdEmptyName, "5"), 1);
    EXPECT_EQ(collectBoth().result, 5);

    sim.setRecords(rows(12));
    usePlugins(true, false);  // the plug-in finds the table whose memory ends after record k
    for (const char* k : {"3", "4", "0", "7"}) {
        ASSERT_EQ(sim.command(vobra_sim::kCmdProtect, k), 1);
        layout_.startPtr = 0;
        Collected c = collectBoth();
        EXPECT_EQ(c.result, std::atoi(k) + 1) << "records after " << k << " are unreadable";
        EXPECT_NE(layout_.startPtr, kDefaultStartPtr);
    }
    sim.command(vobra_sim::kCmdProtect, "-1");
    layout_.startPtr = 0;
    EXPECT_EQ(collectBoth().result, 12);
    EXPECT_EQ(layout_.startPtr, kDefaultStartPtr);

    layout_.maxItem = 7;
    EXPECT_EQ(collectBoth().result, 7);
    layout_.maxItem = 0;
    Collected c = collectBoth();
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.seen, 0);
    layout_.maxItem = -1;
    EXPECT_EQ(collectBoth().result, 0);
}

TEST_F(HostSimTest, BadHostMemoryNeverCrashesOrCorrupts) {
    SimProcess& sim = start(rows(6));
    layout_.startPtr = kDefaultStartPtr;
    ASSERT_EQ(sim.command(vobra_sim::kCmdUnterminate, "0 0"), 1);  // name runs into the trip field
    ASSERT_EQ(sim.command(vobra_sim::kCmdUnterminate, "1 7"), 1);  // hash runs into the next record
    ASSERT_EQ(sim.command(vobra_sim::kCmdGarbage, "3"), 1);        // no NUL anywhere in record 3
    Collected c = collectBoth();
    EXPECT_EQ(c.result, 5) << "record 3's status is garbage: skipped, the walk goes on";
    EXPECT_NE(c.rows.find(std::string(259, 'Z') + "|trip|"), std::string::npos);
    EXPECT_NE(c.rows.find("|" + std::string(35, 'Z') + "\n"), std::string::npos);

    // A layout whose offsets point anywhere.
    const std::uint32_t wild[] = {0x10000000u, 0xFFFFFFF0u, 0x7FFF0000u, 3};
    for (std::uint32_t w : wild) {
        for (int j = 0; j < 8; ++j)
            if (j != 3) layout_.stepOffsets[j] = w + j * 0x333u;
        layout_.nextStep = w;
        layout_.maxItem = 20;
        Collected b = collectBoth();
        EXPECT_GE(b.result, 0);
        EXPECT_EQ(b.count, b.result);
    }
}

TEST_F(HostSimTest, MergesFiltersAndRouting) {
    start(row("known", "完全キャッシュ", "K1", "99") + row("ignored", "完全キャッシュ", "IG") +
          row("drop this", "完全キャッシュ", "D1") + row("move this", "部分キャッシュ", "M1") +
          row("new", "完全キャッシュ", "N1") + row("drop thread", "書可スレッド", "DT"));
    layout_.startPtr = kDefaultStartPtr;
    EntryList target(ListKind::Normal), ignore(ListKind::Ignore), moved(ListKind::Normal);
    const char* known[8] = {"known", "", "", "完全キャッシュ", "5", "", "", "K1"};
    target.addTexts(8, known, 0);
    const char* ig[8] = {"ignored", "", "", "", "", "", "", "IG"};
    ignore.addTexts(8, ig, 0);
    target.linkFilter(&ignore);
    TestRouter router;
    router.destination = &moved;
    link_.options().router = &router;

    Collected c = collect(ReadMethod::TableReads, ListKind::Normal, &target);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.seen, 5);
    EXPECT_STREQ(target.entryAt(0)->refAmount(), "99") << "a larger amount merges into the known row";
    EXPECT_EQ(target.count(), 2);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.entryAt(0)->name(), "move this");

    EntryList bbs(ListKind::Bbs);
    c = collect(ReadMethod::FieldReads, ListKind::Bbs, &bbs);
    EXPECT_EQ(c.result, 1) << "the BBS list is never routed";
    EXPECT_EQ(bbs.entryAt(0)->name(), "drop thread");
}

TEST_F(HostSimTest, ReplacePluginRewritesNames) {
    start(row("summer_photos_2026.zip", "完全キャッシュ", "S1") +
          row("表_ソフト_.lzh", "完全キャッシュ", "S2"));
    layout_.startPtr = kDefaultStartPtr;
    usePlugins(false, true);
    Collected c = collectBoth();
    ASSERT_EQ(c.result, 2);
    EXPECT_EQ(c.rows.substr(0, c.rows.find('|')), "summer photos 2026.zip");
    // "表" and "ソ" end in the byte of "_"... in their second byte only; those stay whole.
    EXPECT_NE(c.rows.find("表 ソフト .lzh|"), std::string::npos);
}

TEST_F(HostSimTest, WindowsAreFoundByClassTitleAndZOrder) {
    SimOptions a;
    a.title = "Vobra v0.95 first";
    SimProcess& first = start("", a);
    SimOptions b;
    b.title = "Vobra v0.95 second";
    auto second = std::make_unique<SimProcess>();  // a second instance, shown later: higher in the Z order
    std::string error;
    ASSERT_TRUE(second->start(TWK_SIM_EXE, b, &error)) << error;
    auto onTop = [&](HWND w) {
        return SimProcess::waitFor([&] { return reinterpret_cast<HWND>(link_.findHostWindow()) == w; });
    };
    ASSERT_TRUE(onTop(second->window()));
    EXPECT_TRUE(link_.pressSearch());
    EXPECT_EQ(second->countLog("search"), 1);
    EXPECT_EQ(first.countLog("search"), 0);

    layout_.vobraTitle = "Vobra v0.95 f";  // only the lower one matches
    EXPECT_EQ(reinterpret_cast<HWND>(link_.findHostWindow()), first.window());
    layout_.vobraTitle = "Vobra v0.95 second and more";  // longer than the title
    EXPECT_EQ(link_.findHostWindow(), kNoWindow);
    EXPECT_EQ(link_.findSearchButton(), kNoWindow);
    ASSERT_EQ(reporter_.boxes.size(), 1u);
    EXPECT_NE(reporter_.boxes[0].find("] Vobra v0.95 second and more Not Found."), std::string::npos);

    layout_.vobraTitle = "Vobra v";
    second.reset();  // a host that went away is not kept: the next search finds the other one
    ASSERT_TRUE(onTop(first.window()));
    EXPECT_TRUE(link_.pressSearch());
    EXPECT_EQ(first.countLog("search"), 1);
}

TEST_F(HostSimTest, ClassComparisonIsCaseSensitive) {
    SimOptions o;
    o.windowClass = "VobraMainWindow";
    SimProcess& sim = start("", o);
    layout_.vobraClass = "vobramainwindow";
    EXPECT_EQ(link_.findHostWindow(), kNoWindow);
    layout_.vobraClass = "VobraMainWindow";
    EXPECT_EQ(reinterpret_cast<HWND>(link_.findHostWindow()), sim.window());
    EXPECT_TRUE(link_.pressSearch());
    EXPECT_EQ(sim.countLog("search"), 1);
}

TEST_F(HostSimTest, SearchWordsAndTheComboIndex) {
    SimProcess& sim = start("");
    ASSERT_TRUE(link_.writeSearchWord(layout_.comboFile, "夏 写真"));
    ASSERT_TRUE(link_.writeSearchWord(layout_.comboBbs, "雑談"));
    EXPECT_FALSE(link_.writeSearchWord(3, "x")) << "only three combo boxes";
    HWND edit = reinterpret_cast<HWND>(link_.findHostCombo(1));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetDlgCtrlID(GetParent(edit)), vobra_sim::kIdFirstCombo + 1);
    std::string word;
    ASSERT_TRUE(link_.readSearchWord(layout_.comboFile, word));
    EXPECT_EQ(word, "夏 写真");
    ASSERT_TRUE(link_.pressSearch());
    EXPECT_EQ(sim.countLog("search file=夏 写真 bbs=雑談"), 1);
}

TEST_F(HostSimTest, HiddenSearchButtonIsNotPressed) {
    SimProcess& sim = start("");
    ASSERT_TRUE(link_.clickHostTabs(layout_.tabDownList, 0, 0));  // the host hides its button on that tab
    EXPECT_FALSE(link_.pressSearch());
    ASSERT_TRUE(link_.clickHostTabs(layout_.tabSearch, 0, 0));
    EXPECT_TRUE(link_.pressSearch());
    sim.command(vobra_sim::kCmdButton, "0");
    EXPECT_FALSE(link_.pressSearch());
    EXPECT_EQ(sim.countLog("search"), 1);
}

TEST_F(HostSimTest, TabClicksAndTheHiddenWindowRestore) {
    SimOptions o;
    o.hidden = true;
    SimProcess& sim = start("", o);
    ASSERT_FALSE(IsWindowVisible(sim.window()));
    sim.clearLog();

    ASSERT_TRUE(link_.clickHostTabs(layout_.tabDownList, layout_.btnReload, 1));
    ASSERT_TRUE(SimProcess::waitFor([&] { return sim.countLog("minimize") == 1; }));
    std::vector<std::string> want = {
        "show",        "down 405 15", "up 405 15",         "click row=1 pos=5", "tab 5",
        "down 315 45", "up 315 45",   "click row=2 pos=4", "reload downlist",   "minimize"};
    std::vector<std::string> got;
    for (const std::string& l : sim.log())
        if (l.compare(0, 7, "visible") != 0) got.push_back(l);
    EXPECT_EQ(got, want);
    EXPECT_FALSE(IsWindowVisible(sim.window()));

    // Without restoring, the hidden host is clicked as it is.
    sim.clearLog();
    ASSERT_TRUE(link_.clickHostTabs(layout_.tabSearch, 0, 0));
    EXPECT_EQ(sim.countLog("down 315 15"), 1);
    EXPECT_EQ(sim.countLog("show"), 0);
    EXPECT_FALSE(IsWindowVisible(sim.window()));

    // Toggling shows it with the host's command and hides it again.
    link_.toggleHostWindow();
    EXPECT_TRUE(IsWindowVisible(sim.window()));
    EXPECT_EQ(sim.countLog("show"), 1);
    link_.toggleHostWindow();
    EXPECT_FALSE(IsWindowVisible(sim.window()));
}

// A connection to the simulator's web server on this machine; waits for a reply at most two seconds.
SOCKET connectTo(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD timeout = 2000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(port));
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// The whole reply to one request ("GET /path"), empty when none came.
std::string httpRequest(int port, const std::string& methodAndPath) {
    std::string reply;
    SOCKET s = connectTo(port);
    if (s == INVALID_SOCKET) return reply;
    std::string req = methodAndPath + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    send(s, req.data(), static_cast<int>(req.size()), 0);
    char buf[4096];
    int n;
    while ((n = recv(s, buf, sizeof buf, 0)) > 0) reply.append(buf, static_cast<std::size_t>(n));
    closesocket(s);
    return reply;
}

class HttpSimTest : public HostSimTest {
  protected:
    void SetUp() override { ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa_), 0); }
    void TearDown() override { WSACleanup(); }
    SimProcess& startServing() {
        SimOptions o;
        o.port = 0;  // any free port; the simulator logs it
        SimProcess& sim = start(row("雑談 <その12>", "書可スレッド", "5A5A", "854"), o);
        port_ = sim.httpPort();
        EXPECT_GT(port_, 0);
        return sim;
    }
    WSADATA wsa_ = {};
    int port_ = -1;
};

TEST_F(HttpSimTest, ThreadsAreServedOverHttp) {
    startServing();
    std::string page = httpRequest(port_, "GET /5A5A");
    EXPECT_EQ(page.compare(0, 15, "HTTP/1.0 200 OK"), 0) << page;
    EXPECT_NE(page.find("<h1>雑談 &lt;その12&gt;</h1>"), std::string::npos);
    EXPECT_NE(page.find("854"), std::string::npos);
    EXPECT_EQ(httpRequest(port_, "GET /FFFF").compare(0, 12, "HTTP/1.0 404"), 0);
}

TEST_F(HttpSimTest, ASilentClientHoldsUpNoOtherRequest) {
    SimProcess& sim = startServing();
    SOCKET silent = connectTo(port_);  // connects and never sends
    ASSERT_NE(silent, INVALID_SOCKET);
    struct Case {
        const char* request;
        const char* statusLine;
        bool body;
    } cases[] = {
        {"GET /5A5A", "HTTP/1.0 200 OK", true},
        {"HEAD /5A5A", "HTTP/1.0 200 OK", false},
        {"HEAD /FFFF", "HTTP/1.0 404 Not Found", false},
        {"POST /5A5A", "HTTP/1.0 501 Not Implemented", true},
    };
    for (const Case& c : cases) {
        std::string reply = httpRequest(port_, c.request);
        EXPECT_EQ(reply.compare(0, std::strlen(c.statusLine), c.statusLine), 0) << c.request << ": " << reply;
        const std::size_t end = reply.find("\r\n\r\n");
        ASSERT_NE(end, std::string::npos) << c.request;
        EXPECT_EQ(end + 4 < reply.size(), c.body) << c.request;
        EXPECT_EQ(reply.find("Content-Length: 0"), std::string::npos) << c.request;
    }
    closesocket(silent);
    // The simulator logs a request after answering it: the last line may come after the reply did.
    EXPECT_TRUE(SimProcess::waitFor([&] {
        return sim.countLog("http 200 /5A5A") == 2 && sim.countLog("http 404 /FFFF") == 1 &&
               sim.countLog("http 501 /5A5A") == 1;
    }));
    EXPECT_EQ(sim.countLog("http 200 /5A5A"), 2);
    EXPECT_EQ(sim.countLog("http 404 /FFFF"), 1);
    EXPECT_EQ(sim.countLog("http 501 /5A5A"), 1);
}

TEST_F(HostSimTest, SampleDefinitionsCollectTheSampleRecords) {
    std::string dir = vobra_sim::windowsPath(TWK_SOURCE_DIR "/tools/sample");
    ProfileFile file;
    file.setPath(dir + "\\TWKdef.ini");
    loadLayoutDefinitions(file, layout_);
    ASSERT_EQ(layout_.fileStates.size(), 3u);
    SimProcess& sim = start("");
    ASSERT_EQ(sim.command(vobra_sim::kCmdLoad, dir + "\\records.txt"), 1);
    usePlugins(true, false);
    layout_.startPtr = 0;
    Collected files = collect(ReadMethod::TableReads);
    EXPECT_GE(files.result, 10);
    EXPECT_EQ(files.result, files.seen);
    EXPECT_TRUE(reporter_.boxes.empty());
    // The BBS list takes exactly the sample's rows whose status is a BBS word of the definitions.
    int threads = 0;
    std::ifstream records(TWK_SOURCE_DIR "/tools/sample/records.txt", std::ios::binary);
    for (std::string line; std::getline(records, line);) {
        std::size_t a = 0;
        for (int tab = 0; tab < 3 && a != std::string::npos; ++tab) a = line.find('\t', a) + 1;
        std::string status = line.substr(a, line.find('\t', a) - a);
        for (const std::string& word : layout_.bbsStates) threads += status == word ? 1 : 0;
    }
    ASSERT_GT(threads, 0);
    EXPECT_EQ(collect(ReadMethod::TableReads, ListKind::Bbs).result, threads);
}

TEST_F(HostSimTest, DebugPrivilegeCanBeEnabled) {
    EXPECT_EQ(link_.enableDebugPrivilege(), 1);
}

// A plug-in that is not beside the program is not there: one planted in the current folder, or in a folder
// the library search would visit, is never loaded.
TEST(PluginLoading, OnlyFromThePluginFolder) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string planted = std::string(temp) + "twk_planted_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(planted.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(vobra_sim::windowsPath(TWK_AP_DLL).c_str(), (planted + "\\ap.dll").c_str(), FALSE));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    SetCurrentDirectoryA(planted.c_str());
    EXPECT_EQ(systemHost().loadLibrary(kStartPtrPluginName), nullptr);
    EXPECT_EQ(GetModuleHandleA("ap.dll"), nullptr);
    SetCurrentDirectoryA(before);
    SetDllDirectoryA(planted.c_str());  // nor from the library search's extra folder
    EXPECT_EQ(systemHost().loadLibrary(kStartPtrPluginName), nullptr);
    SetDllDirectoryA(nullptr);
    // Where the plug-in folder holds it, it is loaded and answers.
    usePlugins(true, false);
    auto lib = systemHost().loadLibrary(kStartPtrPluginName);
    ASSERT_NE(lib, nullptr);
    EXPECT_NE(lib->findExport(kStartPtrExport), nullptr);
    lib.reset();
    removePluginFolders();
    DeleteFileA((planted + "\\ap.dll").c_str());
    RemoveDirectoryA(planted.c_str());
}

}  // namespace
}  // namespace twk
