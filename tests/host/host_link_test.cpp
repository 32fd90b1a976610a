// Finding and driving the host's windows, against a scripted host.
#include "host/host_link.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/host_fakes.h"

namespace twk {
namespace {

using test::FakeHostSystem;
using test::RecordingReporter;
using test::ScopedClock;
using test::ScopedReporter;

class HostWindowTest : public ::testing::Test {
  protected:
    HostWindowTest() : reporting_(&reporter_), clockGuard_(&clock_), link_(sys_, layout_) {}

    // Messages of one kind sent to one window, as (wParam, lParam) pairs.
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> sent(WindowRef w, unsigned msg,
                                                               bool posted = false) {
        std::vector<std::pair<std::uintptr_t, std::intptr_t>> out;
        for (const auto& m : sys_.messages)
            if (m.window == w && m.message == msg && m.posted == posted) out.emplace_back(m.wParam, m.lParam);
        return out;
    }

    RecordingReporter reporter_;
    ScopedReporter reporting_;
    test::FixedClock clock_{test::makeTime(2026, 12, 8, 9, 5, 7)};
    ScopedClock clockGuard_;
    LayoutDefinitions layout_;
    FakeHostSystem sys_;
    HostLink link_;
};

TEST_F(HostWindowTest, MainWindowIsMatchedByExactClassAndTitlePrefix) {
    sys_.addTopLevel("#32770", "Vobra");        // shorter than the prefix
    sys_.addTopLevel("#32770", "vobra v1.0");   // prefix differs in case
    sys_.addTopLevel("Notepad", "Vobra v1.0");  // other class
    EXPECT_EQ(link_.findHostWindow(), kNoWindow);
    WindowRef host = sys_.addTopLevel("#32770", "Vobra v2.0 beta (テスト)");
    EXPECT_EQ(link_.findHostWindow(), host);

    FakeHostSystem other;
    other.addTopLevel("button", "Vobra v1");
    layout_.vobraClass = "Button";
    HostLink link(other, layout_);
    EXPECT_EQ(link.findHostWindow(), kNoWindow) << "class names compare case-sensitively";
}

TEST_F(HostWindowTest, MissingHostOrButtonIsReportedWithTimeStamp) {
    EXPECT_EQ(link_.findSearchButton(), kNoWindow);
    ASSERT_EQ(reporter_.boxes.size(), 1u);
    EXPECT_EQ(reporter_.boxes[0], "[09:05:07] Vobra v Not Found.");

    WindowRef host = sys_.addTopLevel("#32770", "Vobra v1");
    sys_.addChild(host, "Static", "検索");
    WindowRef panel = sys_.addChild(host, "Static", "panel");
    sys_.addChild(panel, "Button", "検索");  // a grandchild is not searched
    EXPECT_EQ(link_.findSearchButton(), kNoWindow);
    ASSERT_EQ(reporter_.boxes.size(), 2u);
    EXPECT_EQ(reporter_.boxes[1], "[09:05:07] Search Button Not Found.");

    EXPECT_EQ(link_.findHostWindow(), host);
    EXPECT_EQ(link_.findHostCombo(0), kNoWindow);
    EXPECT_EQ(reporter_.boxes.size(), 2u) << "findHostWindow and findHostCombo are silent";
}

TEST_F(HostWindowTest, ComboIndexCountsOnlyMatchingCombos) {
    sys_.buildHost(layout_, {});
    sys_.window(sys_.combo(1)).text = "captioned";  // no longer matches the empty ComboTitle
    EXPECT_EQ(link_.findHostCombo(0), sys_.topWindow(sys_.combo(0)));
    EXPECT_EQ(link_.findHostCombo(1), sys_.topWindow(sys_.combo(2)));
    EXPECT_EQ(link_.findHostCombo(2), kNoWindow) << "only two matching combo boxes";
    EXPECT_EQ(link_.findHostCombo(-1), kNoWindow);

    ASSERT_TRUE(link_.writeSearchWord(1, "新着 mp3"));
    EXPECT_EQ(sys_.window(sys_.topWindow(sys_.combo(2))).text, "新着 mp3");
    std::string word;
    ASSERT_TRUE(link_.readSearchWord(1, word));
    EXPECT_EQ(word, "新着 mp3");
    EXPECT_FALSE(link_.readSearchWord(5, word));
}

TEST_F(HostWindowTest, PressSearchSendsTheButtonsClickToItsParent) {
    WindowRef host = sys_.buildHost(layout_, {});
    WindowRef button = sys_.searchButton();
    sys_.window(button).id = 0x12345;  // only the low 16 bits are the control id
    ASSERT_TRUE(link_.pressSearch());
    auto cmds = sent(host, kMsgCommand);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].first, 0x2345u);
    EXPECT_EQ(cmds[0].second, static_cast<std::intptr_t>(button));

    // Another tab shows: the button is hidden in a visible host.
    sys_.window(button).visible = false;
    EXPECT_FALSE(link_.pressSearch());
    EXPECT_EQ(sent(host, kMsgCommand).size(), 1u);

    // The whole host is hidden: the press is still sent.
    sys_.window(host).visible = false;
    EXPECT_TRUE(link_.pressSearch());
    EXPECT_EQ(sent(host, kMsgCommand).size(), 2u);
}

TEST_F(HostWindowTest, TabClicksUseTabGeometry) {
    WindowRef host = sys_.buildHost(layout_, {});
    ASSERT_TRUE(link_.clickHostTabs(4, 4, 0));
    auto downs = sent(host, kMsgLButtonDown);
    auto ups = sent(host, kMsgLButtonUp);
    ASSERT_EQ(downs.size(), 2u);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(downs[0].second, (15 << 16) | 315);
    EXPECT_EQ(downs[1].second, (45 << 16) | 315);
    EXPECT_EQ(ups, downs);

    sys_.messages.clear();
    EXPECT_TRUE(link_.clickHostTabs(0, -3, 0));
    EXPECT_TRUE(sent(host, kMsgLButtonDown).empty());

    layout_.tabWidth = 75;
    layout_.tabHeight = 25;
    link_.clickHostTabs(0, 3, 0);
    ASSERT_EQ(sent(host, kMsgLButtonDown).size(), 1u);
    EXPECT_EQ(sent(host, kMsgLButtonDown)[0].second, (38 << 16) | 188);  // 225 - 37, 50 - 12

    layout_.tabWidth = 0x7FFFFFFF;  // a wild definitions file must not overflow
    EXPECT_TRUE(link_.clickHostTabs(3, 0, 0));
}

TEST_F(HostWindowTest, HiddenHostIsShownForClicksAndMinimisedAfter) {
    WindowRef host = sys_.buildHost(layout_, {});
    sys_.window(host).visible = false;

    ASSERT_TRUE(link_.clickHostTabs(5, 4, 1));
    ASSERT_GE(sys_.messages.size(), 6u);
    EXPECT_EQ(sys_.messages.front().message, kMsgCommand);
    EXPECT_EQ(sys_.messages.front().wParam, 156u);
    EXPECT_EQ(sys_.messages.back().message, kMsgSysCommand);
    EXPECT_TRUE(sys_.messages.back().posted);
    EXPECT_EQ(sys_.messages.back().wParam, kSysMinimize);
    EXPECT_FALSE(sys_.isVisible(host));

    // Without restoring, a hidden host is clicked as it is.
    sys_.messages.clear();
    ASSERT_TRUE(link_.clickHostTabs(4, 0, 0));
    EXPECT_TRUE(sent(host, kMsgCommand).empty());
    EXPECT_EQ(sent(host, kMsgLButtonDown).size(), 1u);
    EXPECT_TRUE(sent(host, kMsgSysCommand, true).empty());

    // A visible host is neither shown nor minimised.
    sys_.window(host).visible = true;
    sys_.messages.clear();
    link_.clickHostTabs(5, 4, 1);
    EXPECT_TRUE(sent(host, kMsgCommand).empty());
    EXPECT_TRUE(sent(host, kMsgSysCommand, true).empty());
}

TEST_F(HostWindowTest, NoHostMeansNoMessages) {
    EXPECT_FALSE(link_.pressSearch());
    EXPECT_FALSE(link_.clickHostTabs(4, 4, 1));
    link_.toggleHostWindow();
    EXPECT_TRUE(sys_.messages.empty());
    EXPECT_EQ(reporter_.boxes.size(), 3u);
}

}  // namespace
}  // namespace twk
