// The list store held to its reference model: the fixed set of seeded random sequences (list_model_run.h says
// how they run and which environment variables choose longer runs), and the model's own edge cases.
#include "tests/core/list_model_run.h"

namespace twk {
namespace {

TEST(ListModel, TheModelKeepsTheEdgeCases) {
    model::Store m;
    m.month = 2;
    for (ListKind k : {ListKind::Ignore, ListKind::Normal, ListKind::Normal}) {
        model::List l;
        l.kind = k;
        m.lists.push_back(l);
    }
    m.linkFilter(1, 0);
    auto texts = [](const std::string& name, const std::string& hash, const std::string& ref,
                    const std::string& size = "100", const std::string& time = "Jan 01 00:00") {
        return std::vector<std::string>{name, "trip", size, "s", ref, time, "1", hash};
    };
    // Rows: cuts by byte count; the name whole; user columns from the ninth text on.
    std::vector<std::string> t = texts(std::string(2000, 'n'), std::string(40, 'h'), "1");
    t[1] = std::string(15, 't');
    t.push_back("u");
    model::Row r = model::makeRow(t);
    EXPECT_EQ(r.trip, std::string(11, 't'));
    EXPECT_EQ(r.hash, std::string(35, 'h'));
    EXPECT_EQ(r.name.size(), 2000u);
    EXPECT_EQ(r.extraColumns, std::vector<std::string>{"u"});
    EXPECT_EQ(model::columnOf(model::makeRow(texts("a", "h", "1")), 9), nullptr);
    // Lists: seven texts add nothing; a known hash merges only with a larger amount, keeping its size.
    t = texts("a", "H1", "5", "111");
    t.pop_back();
    EXPECT_EQ(m.addTexts(1, t, 0), 0);
    EXPECT_EQ(m.addTexts(1, texts("a", "H1", "5", "111"), 0), 1);
    EXPECT_EQ(m.addTexts(1, texts("b", "H1", "5", "222"), 0), 0);
    EXPECT_EQ(m.lists[1].rows[0].name, "a");
    EXPECT_EQ(m.addTexts(1, texts("c", "H1", "9", "333"), 0), 0);
    EXPECT_EQ(m.lists[1].rows[0].name, "c");
    EXPECT_EQ(m.lists[1].rows[0].size, "111");
    // A hash in a filter list is refused; a hash added to it marks the dependent's row for the purge.
    EXPECT_EQ(m.addTexts(0, texts("i", "H1", "1"), 0), 1);
    EXPECT_EQ(m.lists[1].rows[0].purgeMark, 1);
    EXPECT_EQ(m.addTexts(1, texts("x", "H1", "99"), 0), 0);
    m.purgeDependents(0);
    EXPECT_EQ(m.count(1), 0);
    // A move into a list that has the hash: the row leaves, the target takes its texts only when larger.
    EXPECT_EQ(m.addTexts(2, texts("old", "H2", "5"), 0), 1);
    EXPECT_EQ(m.addTexts(1, texts("new", "H2", "9"), 0), 1);
    m.lists[1].view.items[0] = true;
    m.syncSelectionFromView(1);
    EXPECT_EQ(m.moveSelectedTo(1, 2), 0);
    EXPECT_EQ(m.count(1), 0);
    EXPECT_EQ(m.lists[2].rows[0].name, "new");
    // Sorting: 1,000 is larger than 999; in February, December is last year's.
    model::Row small = model::makeRow(texts("a", "h", "1", "999")),
               large = model::makeRow(texts("a", "h", "1", "1,000"));
    EXPECT_LT(model::compareRows(small, large, kColSize, 0, 2), 0);  // descending: the larger goes first
    model::Row dec = model::makeRow(texts("a", "h", "1", "1", "Dec 01 00:00"));
    model::Row jan = model::makeRow(texts("a", "h", "1", "1", "Jan 01 00:00"));
    EXPECT_GT(model::compareRows(jan, dec, kColUpdateTime, 0, 2), 0);   // newest first: Dec after Jan
    EXPECT_LT(model::compareRows(jan, dec, kColUpdateTime, 0, 12), 0);  // in December Dec is this year's
    model::Row unknown = model::makeRow(texts("a", "h", "1", "1", "Xyz 01 00:00"));
    EXPECT_EQ(model::compareRows(unknown, jan, kColUpdateTime, 0, 2), 0);
    // Sorting an empty list changes only the column and direction.
    EXPECT_EQ(m.sort(1, kColSize), 0);
    EXPECT_EQ(m.lists[1].sortColumn, kColSize);
}

// The fixed set: seeds 1 .. kFixedSequences, a few seconds in each suite (the sanitizers and Wine are
// slower).
#if defined(__SANITIZE_ADDRESS__)
constexpr long kFixedSequences = 1000;
#elif defined(_WIN32)
constexpr long kFixedSequences = 1500;
#else
constexpr long kFixedSequences = 3000;
#endif

TEST(ListModel, RandomSequencesGiveTheModelsRowsMarksSelectionAndCounts) {
    const long steps = environmentNumber("TWK_MODEL_STEPS", 40);
    const double seconds = static_cast<double>(environmentNumber("TWK_MODEL_SECONDS", 0));
    const bool seedGiven = std::getenv("TWK_MODEL_SEED") != nullptr;
    const uint32_t first = static_cast<uint32_t>(environmentNumber("TWK_MODEL_SEED", 1));
    const long count = environmentNumber("TWK_MODEL_COUNT", seedGiven ? 1 : kFixedSequences);
    long ran = 0;
    const long reports = environmentNumber("TWK_MODEL_REPORTS", 3);
    const int differing = runSequences(first, count, seconds, static_cast<int>(steps), reports, &ran);
    std::printf("[ model    ] %ld sequences of %ld operations from seed %u: %d differed\n", ran, steps, first,
                differing);
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace twk
