#include "core/report.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fakes.h"

namespace twk {
namespace {

TEST(Reporting, StatusTextsAreTimeStampedCountedAndCut) {
    test::RecordingReporter rec;
    test::ScopedReporter scope(&rec);
    test::FixedClock clk(test::makeTime(2026, 12, 8, 7, 5, 3));
    test::ScopedClock clockScope(&clk);

    EXPECT_EQ(showMessage("%d件の情報を取得しました", 12), 1);
    EXPECT_EQ(rec.status[kStatusMessage], "[07:05:03] 12件の情報を取得しました");
    EXPECT_EQ(showMessage(nullptr), 1);
    EXPECT_EQ(rec.status[kStatusMessage], "");

    std::string huge(2000, 'x');
    showMessage("%s", huge.c_str());
    EXPECT_EQ(rec.status[kStatusMessage].size(), static_cast<std::size_t>(kReportBufferSize - 1));

    test::FakeListView view;
    for (int i = 0; i < 3; ++i) view.insertItem(i);
    view.select({1});
    showCounts(&view);
    EXPECT_EQ(rec.status[kStatusCounts], "Hit数:3  選択数:1");

    errorBoxOwnerless("x%d", 1);
    EXPECT_TRUE(rec.lastOwnerless);
    EXPECT_EQ(rec.boxes.back(), "[07:05:03] x1");
}

}  // namespace
}  // namespace twk
