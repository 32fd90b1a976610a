#include "settings/history_list.h"

#include <new>

#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace twk {

void HistoryList::reset(std::int32_t capacity) {
    entries_.clear();
    capacity_ = 0;
    if (capacity <= 0) return;
    if (capacity > kCapacityLimit) capacity = kCapacityLimit;
    try {
        entries_.reserve(static_cast<std::size_t>(capacity));
    } catch (const std::bad_alloc&) {
        return;
    }
    capacity_ = capacity;
}

bool HistoryList::pushFront(const std::string& text) {
    if (text.empty() || capacity_ <= 0) return false;
    std::string value = text.size() > kMaxEntryLength ? text.substr(0, kMaxEntryLength) : text;
    std::size_t i = 0;
    while (i < entries_.size() && entries_[i] != value) ++i;
    if (i >= static_cast<std::size_t>(capacity_)) i = static_cast<std::size_t>(capacity_) - 1;
    if (i == entries_.size()) entries_.emplace_back();
    for (std::size_t j = i; j > 0; --j) entries_[j] = std::move(entries_[j - 1]);
    entries_[0] = std::move(value);
    return true;
}

const std::string& HistoryList::entry(std::int32_t i) const {
    static const std::string empty;
    if (i < 0 || i >= count()) return empty;
    return entries_[static_cast<std::size_t>(i)];
}

namespace {

struct HistoryKeys {
    SettingId max;
    SettingId entries;
};

constexpr HistoryKeys kHistoryKeys[kHistoryKindCount] = {
    {kSetHistoryMax, kSetHistory},
    {kSetSearchHistoryMax, kSetSearchHistory},
    {kSetVobraHistoryMax, kSetVobraHistory},
    {kSetBbsHistoryMax, kSetBbsHistory},
    {kSetVobraBbsHistoryMax, kSetVobraBbsHistory},
};

}  // namespace

std::string historyKeyPrefix(HistoryKind kind) {
    std::string pattern = settingKey(kHistoryKeys[kind].entries).name;
    return pattern.substr(0, pattern.find('%'));
}

void loadHistories(const ProfileFile& file, Histories& histories) {
    for (int k = 0; k < kHistoryKindCount; ++k) {
        const HistoryKeys& keys = kHistoryKeys[k];
        HistoryList& list = histories.lists[k];
        const SettingKey& maxKey = settingKey(keys.max);
        // A capacity above HistoryList::kCapacityLimit keeps that many (reset caps it), and the close writes
        // the capped one back: every possible entry costs one read of the file below, so a capacity of
        // millions would make the start take minutes.
        list.reset(file.intOr(kProfileSection, maxKey.name, maxKey.defaultNumber));
        // From the highest number down, each pushed to the front: the stored order is kept, gaps close and
        // repeated texts collapse.
        for (std::int32_t n = list.capacity() - 1; n >= 0; --n) {
            std::string text = file.textOr(kProfileSection, settingKeyName(keys.entries, n).c_str(), "");
            if (!text.empty()) list.pushFront(text);
        }
    }
}

bool saveHistories(ProfileFile& file, const Histories& histories) {
    bool ok = true;
    for (int k = 0; k < kHistoryKindCount; ++k) {
        const HistoryKeys& keys = kHistoryKeys[k];
        const HistoryList& list = histories.lists[k];
        ok = file.writeInt(kProfileSection, settingKey(keys.max).name, list.capacity()) && ok;
        for (std::int32_t i = 0; i < list.count(); ++i)
            ok = file.writeText(kProfileSection, settingKeyName(keys.entries, i).c_str(),
                                list.entry(i).c_str()) &&
                 ok;
    }
    return ok;
}

}  // namespace twk
