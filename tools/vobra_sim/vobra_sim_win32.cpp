// Host simulator: a stand-in for the file-sharing client that offers every channel the program uses. Its main
// window has the search button, the search-word combo boxes and a tab strip that records clicks; its result
// table lies at the fixed address with the default layout; it serves BBS threads over HTTP on 127.0.0.1. It
// logs what it receives (one line per event) so tests can check it, and takes commands by WM_COPYDATA
// (sim_protocol.h).
//
// Command line:
//   --records FILE   rows of the table (list-file lines); default: a built-in sample
//   --title TEXT     main window title (default "Vobra v0.95 simulator")
//   --class NAME     register and use this window class instead of the dialog class
//   --log FILE       append the event log to FILE
//   --port N         HTTP port (default 7744; 0 picks a free one and logs it; -1 serves nothing)
//   --menu-id N      the command that shows the hidden window (default 156)
//   --hidden         start hidden, as when minimised to the notification area
//   --no-plugin      do not publish the table's address
//   --move N         place the table N bytes above its fixed address
#include <windows.h>
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vobra_sim/sim_protocol.h"

using namespace vobra_sim;

namespace {

// ---------------------------------------------------------------------------------------------------------------
// The table area. An initialised array in its own section lands right after the data section, which in this
// small program covers the fixed address; main() checks that it does.
constexpr unsigned kAreaSize = 0xE0000 + kStride * (kMaxRecords + 1) + 0x100000;
__attribute__((section(".vtable"), aligned(4096))) unsigned char g_area[kAreaSize] = {1};

constexpr unsigned kPage = 4096;
constexpr unsigned kRecordSpan = 0x2400 + 36;  // through the end of the last field

struct Record {
    std::string f[8];  // name trip size status amount time ver hash
};

struct Sim {
    HWND main = nullptr;
    HWND button = nullptr;
    HWND combos[kComboCount] = {};
    HWND results = nullptr;
    std::vector<Record> records;
    unsigned move = 0;
    int protectAfter = -1;
    unsigned protectFrom = 0, protectSize = 0;
    unsigned char* cut = nullptr;  // the table's copy that ends after record protectAfter
    bool plugin = true;
    int tab = kTabSearch;
    int menuId = kDefaultMenuId;
    std::string logPath;
    int port = 7744;
    CRITICAL_SECTION lock;     // records, shared with the HTTP threads
    CRITICAL_SECTION logLock;  // one line at a time into the log
    SOCKET listener = INVALID_SOCKET;
};
Sim g;

const char* const kTabNames[6] = {"ホーム", "接続", "BBS", "検索", "ダウンリスト", "無視リスト"};

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logLine(const char* format, ...) {
    if (g.logPath.empty()) return;
    char buf[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    EnterCriticalSection(&g.logLock);
    if (FILE* f = std::fopen(g.logPath.c_str(), "ab")) {
        std::fprintf(f, "%s\r\n", buf);
        std::fclose(f);
    }
    LeaveCriticalSection(&g.logLock);
}

unsigned char* tableStart() {
    return reinterpret_cast<unsigned char*>(kTableAddress + g.move);
}
// The table as published to the plug-in: the cut copy while there is one.
unsigned char* publishedTable() {
    return g.cut ? g.cut + (kTableAddress + g.move) % kPage : tableStart();
}
unsigned char* areaEnd() {
    return g_area + kAreaSize;
}

void unprotect() {
    if (g.cut) {
        VirtualFree(g.cut, 0, MEM_RELEASE);
        g.cut = nullptr;
    }
    if (g.protectSize) {
        DWORD old;
        VirtualProtect(reinterpret_cast<void*>(g.protectFrom), g.protectSize, PAGE_READWRITE, &old);
        g.protectSize = 0;
    }
}

// Memory after record k becomes unreadable in two ways. In place, the pages after record k are made
// inaccessible; some systems still let another process read such pages, so a copy of records 0..k is also put
// at the end of a region of its own, beyond which nothing is mapped, and that copy is the table the plug-in
// finds.
void cutTable() {
    unsigned offset = (kTableAddress + g.move) % kPage;
    unsigned bytes = offset + static_cast<unsigned>(g.protectAfter) * kStride + kRecordSpan;
    unsigned size = (bytes + kPage - 1) / kPage * kPage;
    for (uintptr_t at = 0x30000000; at < 0x60000000 && !g.cut; at += 0x08000000)
        g.cut = static_cast<unsigned char*>(
            VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!g.cut) return;
    unsigned char* to = g.cut + offset;
    std::memcpy(to, tableStart(), size - offset);
}

void publishTable();

void applyProtect() {
    unprotect();
    if (g.protectAfter >= 0) cutTable();
    publishTable();
    if (g.protectAfter < 0) return;
    // From the first page boundary after the last field of record k to the end of the area.
    uintptr_t end = reinterpret_cast<uintptr_t>(tableStart()) +
                    static_cast<uintptr_t>(g.protectAfter) * kStride + kRecordSpan;
    uintptr_t from = (end + kPage - 1) / kPage * kPage;
    uintptr_t to = reinterpret_cast<uintptr_t>(areaEnd()) / kPage * kPage;
    if (from >= to) return;
    DWORD old;
    if (VirtualProtect(reinterpret_cast<void*>(from), to - from, PAGE_NOACCESS, &old)) {
        g.protectFrom = static_cast<unsigned>(from);
        g.protectSize = static_cast<unsigned>(to - from);
    }
    logLine("protect from=%08X table=%08X", g.protectFrom,
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(publishedTable())));
}

void publishTable() {
    if (!g.main) return;
    if (g.plugin)
        SetPropA(g.main, kTableProperty, reinterpret_cast<HANDLE>(publishedTable()));
    else
        RemovePropA(g.main, kTableProperty);
}

void refreshList() {
    if (!g.results) return;
    SendMessageA(g.results, WM_SETREDRAW, FALSE, 0);
    SendMessageA(g.results, LB_RESETCONTENT, 0, 0);
    for (const Record& r : g.records) {
        std::string line = r.f[3] + "  " + r.f[0];
        SendMessageA(g.results, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(g.results, WM_SETREDRAW, TRUE, 0);
}

// Writes the records into the table with the default layout; the record after the last has an empty name.
void writeTable() {
    unprotect();
    unsigned char* start = tableStart();
    std::memset(g_area, 0, kAreaSize);
    EnterCriticalSection(&g.lock);
    for (std::size_t i = 0; i < g.records.size(); ++i) {
        unsigned char* rec = start + i * kStride;
        for (int j = 0; j < 8; ++j) {
            unsigned room = (j < 7 ? kFieldOffsets[j + 1] : kStride) - kFieldOffsets[j] - 1;
            const std::string& v = g.records[i].f[j];
            std::memcpy(rec + kFieldOffsets[j], v.data(), v.size() < room ? v.size() : room);
        }
    }
    LeaveCriticalSection(&g.lock);
    applyProtect();
    publishTable();
    refreshList();
}

std::vector<Record> parseRecords(const char* text, std::size_t size) {
    std::vector<Record> out;
    std::size_t i = 0;
    while (i < size) {
        std::size_t e = i;
        while (e < size && text[e] != '\r' && text[e] != '\n' && text[e] != 0) ++e;
        if (e > i && static_cast<int>(out.size()) < kMaxRecords) {
            Record r;
            int field = 0;
            for (std::size_t k = i; k < e; ++k) {
                if (text[k] == '\t') {
                    if (++field == 8) break;
                } else {
                    r.f[field] += text[k];
                }
            }
            out.push_back(r);
        }
        i = e + 1;
    }
    return out;
}

bool loadRecordsFile(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    std::vector<Record> rs = parseRecords(text.data(), text.size());
    EnterCriticalSection(&g.lock);
    g.records = rs;
    LeaveCriticalSection(&g.lock);
    return true;
}

void sampleRecords() {
    static const char* const kSample =
        "夏の風景写真集_2026.zip\tTrip12345\t152,334,120\t完全キャッシュ\t1520\t12/08 10:15\t1.2\t"
        "A1B2C3D4E5F60718293A4B5C6D7E8F90\n"
        "作業用BGM_ピアノ.mp3\tPiano0001\t8,402,110\t部分キャッシュ\t88\t12/08 09:58\t1.2\t"
        "0F1E2D3C4B5A69788796A5B4C3D2E1F0\n"
        "tutorial_video_part1.avi\t\t401,223,004\t受可キャッシュ\t12\t12/07 23:40\t1.1\t"
        "11223344556677889900AABBCCDDEEFF\n"
        "フリー素材集 vol.3.lzh\tSozaiTrip\t23,001,442\t完全キャッシュ\t640\t12/08 08:02\t1.2\t"
        "FFEEDDCCBBAA00998877665544332211\n"
        "雑談スレッド その12\t\t\t書可スレッド\t854\t12/08 10:20\t1.2\t"
        "5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A\n"
        "新作ゲーム情報スレ\t\t\t更新スレッド\t231\t12/08 10:11\t1.2\t"
        "6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B6B\n"
        "orchestra_live_2026.flac\tClassic777\t612,004,990\t完全キャッシュ\t302\t12/08 07:45\t1.2\t"
        "0123456789ABCDEF0123456789ABCDEF\n"
        "読み専用スレッド\t\t\t書不スレッド\t45\t12/06 21:00\t1.1\t"
        "7C7C7C7C7C7C7C7C7C7C7C7C7C7C7C7C\n";
    g.records = parseRecords(kSample, std::strlen(kSample));
}

// ---------------------------------------------------------------------------------------------------------------
// HTTP: GET /<hash> answers the record with that hash as a small page; GET / lists them. HEAD answers the
// same without the page; other methods are not implemented. Each request is logged as "http <status> <path>".
std::string htmlEscape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string pageFor(const std::string& path, int* status) {
    const char* head =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
    std::string body;
    EnterCriticalSection(&g.lock);
    if (path == "/") {
        body = std::string(head) + "<title>BBS</title></head><body><ul>";
        for (const Record& r : g.records)
            body += "<li><a href=\"/" + htmlEscape(r.f[7]) + "\">" + htmlEscape(r.f[0]) + "</a></li>";
        body += "</ul></body></html>";
        *status = 200;
    } else {
        *status = 404;
        for (const Record& r : g.records) {
            if (!r.f[7].empty() && path == "/" + r.f[7]) {
                body = std::string(head) + "<title>" + htmlEscape(r.f[0]) + "</title></head><body><h1>" +
                       htmlEscape(r.f[0]) + "</h1><p>発言数 " + htmlEscape(r.f[4]) + " / 更新 " +
                       htmlEscape(r.f[5]) + "</p></body></html>";
                *status = 200;
                break;
            }
        }
        if (*status == 404) body = "<html><body>Not Found</body></html>";
    }
    LeaveCriticalSection(&g.lock);
    return body;
}

// One connection: a request is read until its blank line, within a time-out, so that a client that never
// sends (or sends too slowly) holds only its own connection.
constexpr DWORD kReceiveTimeoutMs = 3000;
constexpr std::size_t kRequestMax = 16384;

struct Request {
    std::string method, path;
};

bool readRequest(SOCKET s, Request& out) {
    std::string req;
    char buf[1024];
    while (req.find("\r\n\r\n") == std::string::npos && req.size() < kRequestMax) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) break;
        req.append(buf, static_cast<std::size_t>(n));
    }
    std::size_t lineEnd = req.find("\r\n");
    if (lineEnd == std::string::npos) return false;
    std::string line = req.substr(0, lineEnd);
    std::size_t first = line.find(' ');
    if (first == std::string::npos) return false;
    std::size_t second = line.find(' ', first + 1);
    out.method = line.substr(0, first);
    out.path = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    return !out.path.empty();
}

const char* reasonFor(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        default:
            return "Not Implemented";
    }
}

DWORD WINAPI connectionThread(LPVOID param) {
    SOCKET s = reinterpret_cast<SOCKET>(param);
    DWORD timeout = kReceiveTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    Request request;
    if (readRequest(s, request)) {
        const bool head = request.method == "HEAD";
        int status = 501;
        std::string body;
        if (head || request.method == "GET")
            body = pageFor(request.path, &status);
        else
            body = "<html><body>Not Implemented</body></html>";
        char header[256];
        std::snprintf(header, sizeof header,
                      "HTTP/1.0 %d %s\r\nContent-Type: text/html; charset=Shift_JIS\r\nContent-Length: %u\r\n"
                      "Connection: close\r\n\r\n",
                      status, reasonFor(status), static_cast<unsigned>(body.size()));
        std::string reply = header;
        if (!head) reply += body;
        send(s, reply.data(), static_cast<int>(reply.size()), 0);
        shutdown(s, SD_SEND);
        logLine("http %d %s", status, request.path.c_str());
    }
    closesocket(s);
    return 0;
}

DWORD WINAPI httpThread(LPVOID) {
    for (;;) {
        SOCKET s = accept(g.listener, nullptr, nullptr);
        if (s == INVALID_SOCKET) return 0;
        HANDLE t = CreateThread(nullptr, 0, connectionThread, reinterpret_cast<LPVOID>(s), 0, nullptr);
        if (t)
            CloseHandle(t);
        else
            closesocket(s);
    }
}

void startHttp() {
    if (g.port < 0) return;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    g.listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(g.port));
    if (g.listener == INVALID_SOCKET ||
        bind(g.listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(g.listener, 8) != 0) {
        logLine("http unavailable port=%d", g.port);
        if (g.listener != INVALID_SOCKET) closesocket(g.listener);
        g.listener = INVALID_SOCKET;
        return;
    }
    int len = sizeof addr;
    getsockname(g.listener, reinterpret_cast<sockaddr*>(&addr), &len);
    logLine("http port=%d", ntohs(addr.sin_port));
    HANDLE t = CreateThread(nullptr, 0, httpThread, nullptr, 0, nullptr);
    if (t) CloseHandle(t);
}

// ---------------------------------------------------------------------------------------------------------------
// The main window.
// The host keeps its texts in cp932. Like a program whose texts come from its resources, its windows hold
// them as right UTF-16 whatever the system's code page is: they are converted here explicitly.
std::wstring wide932(const std::string& text) {
    std::wstring out(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string comboText(int i) {
    wchar_t wide[260] = {};
    int len = GetWindowTextW(g.combos[i], wide, 260);
    char buf[520] = {};
    if (len > 0) WideCharToMultiByte(932, 0, wide, len, buf, sizeof buf - 1, nullptr, nullptr);
    return buf;
}

void selectTab(int tab) {
    g.tab = tab;
    // The search button exists only on the search and BBS tabs.
    ShowWindow(g.button, tab == kTabSearch || tab == kTabBbs ? SW_SHOW : SW_HIDE);
    InvalidateRect(g.main, nullptr, TRUE);
    logLine("tab %d", tab);
}

void paintTabs(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 6; ++i) {
            if (row == 1 && i + 1 != kBtnReload) continue;
            RECT r = {i * kTabWidth, row * kTabHeight, (i + 1) * kTabWidth - 1, (row + 1) * kTabHeight - 1};
            bool current = row == 0 && i + 1 == g.tab;
            FillRect(dc, &r, GetSysColorBrush(current ? COLOR_WINDOW : COLOR_BTNFACE));
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            const char* label = row == 0 ? kTabNames[i] : "再読込";
            DrawTextA(dc, label, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    SelectObject(dc, font);
}

int parseInt(const std::string& s) {
    return std::atoi(s.c_str());
}

LRESULT command(unsigned long code, const std::string& arg) {
    logLine("control %lu %s", code, code == kCmdRecords ? "(rows)" : arg.c_str());
    switch (code) {
        case kCmdRecords: {
            std::vector<Record> rs = parseRecords(arg.data(), arg.size());
            EnterCriticalSection(&g.lock);
            g.records = rs;
            LeaveCriticalSection(&g.lock);
            writeTable();
            return 1;
        }
        case kCmdLoad:
            if (!loadRecordsFile(arg.c_str())) return 0;
            writeTable();
            return 1;
        case kCmdButton:
            ShowWindow(g.button, parseInt(arg) ? SW_SHOW : SW_HIDE);
            return 1;
        case kCmdEmptyName: {
            int k = parseInt(arg);
            if (k < 0 || k > kMaxRecords) return 0;
            unprotect();
            tableStart()[static_cast<unsigned>(k) * kStride] = 0;
            applyProtect();
            return 1;
        }
        case kCmdUnterminate: {
            int k = -1, j = -1;
            if (std::sscanf(arg.c_str(), "%d %d", &k, &j) != 2 || k < 0 || k >= kMaxRecords || j < 0 || j > 7)
                return 0;
            unprotect();
            unsigned char* rec = tableStart() + static_cast<unsigned>(k) * kStride;
            unsigned end = j < 7 ? kFieldOffsets[j + 1] : kStride;
            std::memset(rec + kFieldOffsets[j], 'Z', end - kFieldOffsets[j]);
            applyProtect();
            return 1;
        }
        case kCmdProtect:
            g.protectAfter = parseInt(arg);
            if (g.protectAfter >= kMaxRecords) return 0;
            applyProtect();
            publishTable();
            return 1;
        case kCmdPlugin:
            g.plugin = parseInt(arg) != 0;
            publishTable();
            return 1;
        case kCmdMove: {
            long n = std::atol(arg.c_str());
            if (n < 0 || n > 0x100000) return 0;
            g.move = static_cast<unsigned>(n);
            writeTable();
            return 1;
        }
        case kCmdClearLog:
            if (!g.logPath.empty()) DeleteFileA(g.logPath.c_str());
            return 1;
        case kCmdGarbage: {
            int k = parseInt(arg);
            if (k < 0 || k >= kMaxRecords) return 0;
            unprotect();
            unsigned char* rec = tableStart() + static_cast<unsigned>(k) * kStride;
            for (unsigned i = 0; i < kStride; ++i)
                rec[i] = static_cast<unsigned char>(1 + (i * 131u + 7u) % 255u);
            applyProtect();
            return 1;
        }
        case kCmdQuit:
            DestroyWindow(g.main);
            return 1;
        default:
            return 0;
    }
}

// Every message of the main window; returns whether it was handled (and its result).
bool handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == kIdSearchButton && HIWORD(wp) == BN_CLICKED) {
                logLine("search file=%s bbs=%s", comboText(0).c_str(), comboText(2).c_str());
                return true;
            }
            if (static_cast<int>(wp) == g.menuId) {
                ShowWindow(hwnd, SW_SHOW);
                logLine("show");
                return true;
            }
            if (LOWORD(wp) == IDCANCEL) {
                DestroyWindow(hwnd);
                return true;
            }
            return false;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MINIMIZE) {
                // Minimising hides the window, as a client living in the notification area does.
                ShowWindow(hwnd, SW_HIDE);
                logLine("minimize");
                return true;
            }
            return false;
        case WM_SHOWWINDOW:
            logLine("visible %d", wp ? 1 : 0);
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
            logLine("%s %d %d", msg == WM_LBUTTONDOWN ? "down" : "up", x, y);
            if (msg == WM_LBUTTONUP && x >= 0 && y >= 0) {
                int pos = x / kTabWidth + 1, row = y / kTabHeight + 1;
                logLine("click row=%d pos=%d", row, pos);
                if (row == 1 && pos <= 6) selectTab(pos);
                if (row == 2 && pos == kBtnReload && (g.tab == kTabDownList || g.tab == kTabIgnoreList))
                    logLine("reload %s", g.tab == kTabDownList ? "downlist" : "ignorelist");
            }
            return true;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paintTabs(dc);
            EndPaint(hwnd, &ps);
            return true;
        }
        case WM_COPYDATA: {
            const COPYDATASTRUCT* cd = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            std::string arg;
            if (cd->lpData && cd->cbData) arg.assign(static_cast<const char*>(cd->lpData), cd->cbData);
            while (!arg.empty() && arg.back() == 0) arg.pop_back();
            result = command(cd->dwData, arg);
            return true;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result;
    if (msg == WM_INITDIALOG) return TRUE;
    if (!handle(hwnd, msg, wp, lp, result)) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result;
    if (handle(hwnd, msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND createMain(const std::string& cls, const std::string& title) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    HWND w = nullptr;
    if (cls.empty() || cls == "#32770") {
        // A dialog made from an in-memory template: no controls, no menu, the dialog class.
        alignas(4) WORD tmpl[32] = {};
        DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(tmpl);
        t->style = style;
        t->cx = 360;
        t->cy = 240;
        w = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t, nullptr, dialogProc, 0);
    } else {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = cls.c_str();
        if (!RegisterClassExA(&wc)) return nullptr;
        w = CreateWindowExA(0, cls.c_str(), "", style, CW_USEDEFAULT, CW_USEDEFAULT, 640, 420, nullptr,
                            nullptr, wc.hInstance, nullptr);
    }
    if (!w) return nullptr;
    SetWindowTextW(w, wide932(title).c_str());
    SetWindowPos(w, nullptr, 40, 40, 640, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    return w;
}

void createChildren() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // Created in this order, so the Z order of the children is: the three combo boxes, the button, the list.
    for (int i = 0; i < kComboCount; ++i) {
        g.combos[i] = CreateWindowExW(
            0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN, 10 + i * 200, 70, 190,
            200, g.main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdFirstCombo + i)), inst, nullptr);
        SendMessageA(g.combos[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
    g.button = CreateWindowExW(0, L"Button", wide932("検索").c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                               10, 100, 80, 24, g.main,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdSearchButton)), inst, nullptr);
    SendMessageA(g.button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    g.results = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOSEL, 10, 130, 610, 240, g.main,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdResultList)), inst, nullptr);
    SendMessageA(g.results, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

bool areaCoversTable() {
    uintptr_t first = reinterpret_cast<uintptr_t>(g_area);
    uintptr_t last = first + kAreaSize;
    uintptr_t need = static_cast<uintptr_t>(kTableAddress) + 0x100000 + kStride * (kMaxRecords + 1);
    return first <= kTableAddress && need <= last;
}

}  // namespace

int main(int argc, char** argv) {
    InitializeCriticalSection(&g.lock);
    InitializeCriticalSection(&g.logLock);
    std::string title = "Vobra v0.95 simulator", cls, recordsPath;
    bool hidden = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--hidden") {
            hidden = true;
        } else if (a == "--no-plugin") {
            g.plugin = false;
        } else if (next && a == "--records") {
            recordsPath = next, ++i;
        } else if (next && a == "--title") {
            title = next, ++i;
        } else if (next && a == "--class") {
            cls = next, ++i;
        } else if (next && a == "--log") {
            g.logPath = next, ++i;
        } else if (next && a == "--port") {
            g.port = std::atoi(next), ++i;
        } else if (next && a == "--menu-id") {
            g.menuId = std::atoi(next), ++i;
        } else if (next && a == "--move") {
            long n = std::atol(next);
            g.move = n > 0 && n <= 0x100000 ? static_cast<unsigned>(n) : 0;
            ++i;
        } else {
            std::fprintf(stderr, "vobra_sim: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    if (!areaCoversTable()) {
        std::fprintf(stderr, "vobra_sim: the table area %p..%p does not cover %#x; the build is unusable\n",
                     static_cast<void*>(g_area), static_cast<void*>(areaEnd()), kTableAddress);
        logLine("fatal table area %p does not cover the table", static_cast<void*>(g_area));
        if (g.logPath.empty())
            MessageBoxA(nullptr, "The table area does not cover the fixed address.", "vobra_sim", MB_OK);
        return 3;
    }
    if (recordsPath.empty()) {
        sampleRecords();
    } else if (!loadRecordsFile(recordsPath.c_str())) {
        std::fprintf(stderr, "vobra_sim: cannot read %s\n", recordsPath.c_str());
        return 2;
    }

    g.main = createMain(cls, title);
    if (!g.main) return 4;
    createChildren();
    writeTable();
    startHttp();
    logLine("start pid=%lu table=%08X", GetCurrentProcessId(), static_cast<unsigned>(kTableAddress + g.move));
    if (!hidden) ShowWindow(g.main, SW_SHOW);

    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(g.main, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    if (g.listener != INVALID_SOCKET) closesocket(g.listener);
    logLine("exit");
    return 0;
}
