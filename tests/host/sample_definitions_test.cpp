// The shipped sample definitions must describe the host simulator exactly, or the demo collects nothing.
#include <gtest/gtest.h>

#include "host/layout_definitions.h"
#include "settings/profile_file.h"
#include "settings/profile_store.h"
#include "tools/vobra_sim/sim_protocol.h"

namespace twk {
namespace {

TEST(SampleDefinitions, FitTheHostSimulator) {
    PortableProfileStore store;
    ProfileFile file(store, std::string(TWK_SOURCE_DIR) + "/tools/sample/TWKdef.ini");
    LayoutDefinitions d;
    loadLayoutDefinitions(file, d);
    for (int j = 0; j < 8; ++j) EXPECT_EQ(d.stepOffsets[j], vobra_sim::kFieldOffsets[j]) << "Step" << j;
    EXPECT_EQ(d.nextStep, vobra_sim::kStride);
    EXPECT_EQ(d.maxItem, vobra_sim::kMaxRecords);
    EXPECT_EQ(d.fileStates, (std::vector<std::string>{"完全キャッシュ", "部分キャッシュ", "受可キャッシュ"}));
    EXPECT_EQ(d.bbsStates.size(), 5u);
    EXPECT_EQ(d.bbsStates[0], "書可スレッド");
    EXPECT_EQ(d.buttonTitle, "検索");
    EXPECT_EQ(d.tabSearch, vobra_sim::kTabSearch);
    EXPECT_EQ(d.tabDownList, vobra_sim::kTabDownList);
    EXPECT_EQ(d.tabIgnoreList, vobra_sim::kTabIgnoreList);
    EXPECT_EQ(d.tabBbs, vobra_sim::kTabBbs);
    EXPECT_EQ(d.btnReload, vobra_sim::kBtnReload);
    EXPECT_EQ(d.tabWidth, vobra_sim::kTabWidth);
    EXPECT_EQ(d.tabHeight, vobra_sim::kTabHeight);
    EXPECT_EQ(d.menuId, vobra_sim::kDefaultMenuId);
    EXPECT_EQ(d.vobraClass, "#32770");
    EXPECT_EQ(d.vobraTitle, "Vobra v");
    EXPECT_EQ(d.buttonClass, "Button");
    EXPECT_EQ(d.comboFile, 0);
    EXPECT_EQ(d.comboBbs, vobra_sim::kComboCount - 1);
}

}  // namespace
}  // namespace twk
