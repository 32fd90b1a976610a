#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "support/fakes.h"

namespace twk {
namespace {

struct Fixture {
    EntryList list{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    EntryList dependent{ListKind::Normal};
    test::FakeListView view;
    Fixture() {
        list.setView(&view);
        list.linkFilter(&ignore);
        dependent.linkFilter(&list);
        const char* ign[8] = {"i", "", "", "", "", "", "", "H7"};
        ignore.addTexts(8, ign, 0);
        for (int h : {3, 11, 19}) {
            std::string hash = "H" + std::to_string(h);
            const char* dep[8] = {"d", "", "", "", "", "", "", hash.c_str()};
            dependent.addTexts(8, dep, 0);
        }
    }
};

std::string describe(const EntryList& l) {
    std::string out;
    for (int p = 0; p < l.count(); ++p) {
        const Entry* e = l.entryAt(p);
        out += e->name() + "|" + e->refAmount() + "|" + e->hash() + "|" + e->size() + "\n";
    }
    return out;
}

// The batch must leave exactly what adding the rows one by one leaves, duplicates and filters included.
TEST(AppendBatch, BuildsTheSameListAsAddingRowByRow) {
    std::mt19937 rng(3);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 3000; ++i) {
        // Short hashes that the key prefix tells apart, and long ones sharing their first eight characters
        // (in either case) that only the full comparison orders.
        std::string hash = i % 3 == 0 ? "H" + std::to_string(rng() % 900)
                                      : (rng() % 2 ? "abcdefgh" : "ABCDEFGH") + std::to_string(rng() % 300);
        rows.push_back({"name" + std::to_string(i), "t", std::to_string(i), "s", std::to_string(rng() % 50),
                        "Jan 1", "1", hash});
    }
    Fixture one, batch;
    int addedOne = 0;
    for (auto& r : rows) {
        const char* t[8];
        for (int k = 0; k < 8; ++k) t[k] = r[k].c_str();
        addedOne += one.list.addTexts(8, t, 0);
    }
    AppendBatch b(batch.list, 0);
    for (auto& r : rows) {
        const char* t[8];
        for (int k = 0; k < 8; ++k) t[k] = r[k].c_str();
        b.add(8, t);
    }
    EXPECT_EQ(batch.list.count(), 0) << "nothing shows before finish";
    EXPECT_EQ(b.finish(), addedOne);
    EXPECT_EQ(describe(batch.list), describe(one.list));
    EXPECT_EQ(batch.view.itemCount(), one.view.itemCount());
    EXPECT_EQ(batch.list.modified(), one.list.modified());
    EXPECT_EQ(batch.list.findHash("H7"), -1);
    for (int p = 0; p < one.list.count(); ++p) {
        EXPECT_STREQ(batch.list.hashPages().at(p)->hash(), one.list.hashPages().at(p)->hash());
        EXPECT_EQ(batch.list.findHash(one.list.hashPages().at(p)->hash()), p);
    }
    EXPECT_EQ(batch.dependent.purgePending(), one.dependent.purgePending());
    batch.list.purgeDependents();
    one.list.purgeDependents();
    EXPECT_EQ(describe(batch.dependent), describe(one.dependent));

    // Sorted insertions afterwards land alike: the name prefixes the batch made agree with the merged names.
    for (int i = 0; i < 200; ++i) {
        std::string name = "name" + std::to_string(rng() % 3000), hash = "N" + std::to_string(i);
        const char* t[8] = {name.c_str(), "t", "1", "s", "1", "Jan 1", "1", hash.c_str()};
        one.list.addTexts(8, t, 1);
        batch.list.addTexts(8, t, 1);
    }
    EXPECT_EQ(describe(batch.list), describe(one.list));
}

TEST(AppendBatch, ANonEmptyListOrSortedModeAddsRowByRow) {
    EntryList list(ListKind::Normal);
    const char* first[8] = {"a", "", "", "", "", "", "", "H1"};
    list.addTexts(8, first, 0);
    AppendBatch b(list, 0);
    const char* second[8] = {"b", "", "", "", "", "", "", "H2"};
    EXPECT_EQ(b.add(8, second), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(b.add(8, first), 0);
    EXPECT_EQ(b.finish(), 1);
}

}  // namespace
}  // namespace twk
