#include "core/inserted_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace twk {
namespace {

// The rows as a plain vector: old rows carry their old position, new rows -1.
struct Model {
    std::vector<int> rows;
    explicit Model(int n) {
        for (int i = 0; i < n; ++i) rows.push_back(i);
    }
    void insert(int p) { rows.insert(rows.begin() + p, -1); }
    int where(int old) const {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == old) return static_cast<int>(i);
        return -1;
    }
};

TEST(InsertedRowsTest, OldRowsMoveBehindTheRowsInsertedBeforeThem) {
    InsertedRows rows;
    rows.reset(5);
    rows.insert(0);  // n o0 o1 o2 o3 o4
    rows.insert(3);  // n o0 o1 n o2 o3 o4
    rows.insert(7);  // appended
    rows.insert(6);  // n o0 o1 n o2 o3 n o4 n
    EXPECT_EQ(rows.count(), 9);
    EXPECT_TRUE(rows.movesOldRows());
    EXPECT_EQ(rows.firstChanged(), 0);
    const int expected[] = {1, 2, 4, 5, 7};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rows.map(i), expected[i]) << i;
}

TEST(InsertedRowsTest, AppendsAndAnEmptyStartMoveNothing) {
    InsertedRows rows;
    rows.reset(0);
    for (int i = 0; i < 1000; ++i) rows.insert(i % 2 ? i : 0);
    EXPECT_EQ(rows.count(), 1000);
    EXPECT_FALSE(rows.movesOldRows());

    rows.reset(3);
    EXPECT_TRUE(rows.empty());
    rows.insert(3);
    rows.insert(4);
    rows.insert(-7);  // out of range: appended
    rows.insert(99);
    EXPECT_EQ(rows.count(), 7);
    EXPECT_EQ(rows.firstChanged(), 3);
    EXPECT_FALSE(rows.movesOldRows());
    EXPECT_EQ(rows.map(2), 2);
}

TEST(InsertedRowsTest, RandomInsertsAgreeWithAPlainVector) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int n = static_cast<int>(rng() % 40);
        Model model(n);
        InsertedRows rows;
        rows.reset(n);
        const int m = static_cast<int>(rng() % 30);
        for (int k = 0; k < m; ++k) {
            int p = static_cast<int>(rng() % (model.rows.size() + 1));
            model.insert(p);
            rows.insert(p);
        }
        ASSERT_EQ(rows.count(), static_cast<int>(model.rows.size()));
        int firstChanged = 0;
        while (firstChanged < n && model.rows[firstChanged] == firstChanged) ++firstChanged;
        ASSERT_EQ(rows.firstChanged(), firstChanged) << "round " << round;
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(rows.map(i), model.where(i)) << "round " << round << " row " << i;
    }
}

}  // namespace
}  // namespace twk
