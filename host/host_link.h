// The program's hold on the host client: finding and driving its windows, and copying its result table out of
// its memory into a list. No window of the host is kept between operations: each one searches afresh.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/entry.h"
#include "host/host_system.h"
#include "host/layout_definitions.h"
#include "settings/settings_keys.h"  // kDefaultStartPtr, the table's address when nothing says otherwise

namespace twk {

class EntryList;

// Message texts of the host link.
extern const char* const kMsgHostNotFound;       // "%s Not Found."
extern const char* const kMsgButtonNotFound;     // "Search Button Not Found."
extern const char* const kMsgStartPtrFallback;   // the failed start-address detection
extern const char* const kMsgOpenProcessFailed;  // "Error:OpenProcess"

// The eleven status words the host uses; the first record must carry one of them.
extern const char* const kHostStatusWords[11];

// Plug-in names and exports.
extern const char* const kStartPtrPluginName;  // "ap.dll"
extern const char* const kStartPtrExport;      // "AutoExec"
extern const char* const kReplacePluginName;   // "Replace.dll"
extern const char* const kReplaceExport;       // "ReplaceString"

// Number of bytes read for each of the eight fields (one less than the raw record's capacity).
int hostFieldReadSize(int field);

// Where a collected record goes instead of the collecting list. Returns true when the record was taken away
// (added to another list or dropped), false when the collecting list should receive it.
class RecordRouter {
  public:
    virtual ~RecordRouter() = default;
    virtual bool routeAway(const RawRecord& record, EntryList& collecting, int mode) = 0;
};

// How the records are read out of the host's memory.
enum class ReadMethod {
    FieldReads,  // one read per field: eight per record
    // The table in blocks of many records, each record then taken from the copy; a block that cannot be read
    // is read record by record (one read of a record's span, the eight field reads where that fails).
    TableReads,
};

struct ReaderOptions {
    // Non-zero: a failed start-address detection is not reported.
    int noDialog = 0;
    // The stored start address ("StartPtr" of the user settings); called only when the plug-in fails.
    std::function<std::uint32_t()> storedStartPtr = [] { return kDefaultStartPtr; };
    RecordRouter* router = nullptr;
    ReadMethod method = ReadMethod::TableReads;
};

class HostLink {
  public:
    // The layout's startPtr is set by the first read that needs it and kept for the run.
    HostLink(HostSystem& system, LayoutDefinitions& layout);
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    ReaderOptions& options() { return options_; }
    const LayoutDefinitions& layout() const { return layout_; }

    // Window operations.
    WindowRef findHostWindow() const;
    WindowRef findSearchButton() const;  // shows an error box when the host or its button is missing
    WindowRef findHostCombo(int index) const;
    bool pressSearch();
    bool clickHostTabs(int first, int second, int restoreHidden);
    void toggleHostWindow();
    // The search word of the index-th combo box: true when its edit field was found.
    bool readSearchWord(int comboIndex, std::string& word);
    bool writeSearchWord(int comboIndex, const char* word);

    int enableDebugPrivilege() { return system_.enableDebugPrivilege(); }

    // Copies the host's records with one of `acceptedWords` into `target` (mode 1 sorted, else appended).
    // Returns the rows added, 0 when the table is not recognised, -1 when the host cannot be reached; `seen`
    // becomes the number of accepted records whatever became of them.
    int readHostResults(const std::vector<std::string>& acceptedWords, EntryList& target, int& seen,
                        int mode);

  private:
    // Finds the table's address when it is not known yet.
    void resolveStartPtr(WindowRef searchButton);
    int walk(HostProcess& process, const std::vector<std::string>& words, EntryList& target, int& seen,
             int mode);
    bool readRecord(HostProcess& process, std::uint32_t base, RawRecord& raw);
    bool readFields(HostProcess& process, std::uint32_t base, RawRecord& raw);
    // Record `index` (at `base`) from the current block, reading the next block when it is past it.
    bool readFromBlock(HostProcess& process, std::int32_t index, std::uint32_t base, RawRecord& raw);
    void copyFields(const char* span, RawRecord& raw) const;
    std::uint32_t lowestOffset() const;

    HostSystem& system_;
    LayoutDefinitions& layout_;
    ReaderOptions options_;
    std::vector<char> span_;  // one record's span: from its lowest field to the end of its highest
    // The block of the table being walked: records [blockFirst_, blockEnd_), read whole when blockRead_.
    std::vector<char> block_;
    std::int32_t blockFirst_ = 0;
    std::int32_t blockEnd_ = 0;
    bool blockRead_ = false;
    std::size_t nextBlockBytes_ = 0;
};

}  // namespace twk
