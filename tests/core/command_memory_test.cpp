// Every command that changes a list, run once for each allocation it makes with that allocation failing: the
// command either completes as if nothing had failed or leaves every list as it was and shows the memory
// message once.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/report.h"
#include "formats/list_file.h"
#include "formats/text_buffer.h"
#include "match/search.h"
#include "support/alloc_failure.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

using test::AllocationFailure;
using test::FakeListView;

int add(EntryList& list, const std::string& name, const std::string& hash, const char* ref,
        const char* size) {
    const char* texts[9] = {name.c_str(), "trip",       size, "完全キャッシュ", ref, "Jan 01 00:00",
                            "1",          hash.c_str(), "u"};
    return list.addTexts(9, texts, 0);
}

const char kPasted[] =
    "p1\ttrip\t10\ts\t50\tJan 01 00:00\t1\tHP1\r\n"
    "renamed3\ttrip\t10\ts\t50\tJan 01 00:00\t1\tHA3\r\n"  // merges into A's HA3
    "ignored\ttrip\t10\ts\t50\tJan 01 00:00\t1\tHI\r\n"    // refused
    "p2\ttrip\t10\ts\t50\tJan 01 00:00\t1\tHP2\r\n";

// Four lists as the window has them: A (the current one) and B use the ignore list I; B also uses F.
struct Lists {
    EntryList ignore{ListKind::Ignore}, a{ListKind::Normal}, b{ListKind::Normal}, f{ListKind::Normal};
    FakeListView viewA, viewB, viewI, viewF;
    test::TempFolder folder;  // list.txt holds the rows of kPasted

    Lists() {
        folder.write("list.txt", kPasted);
        a.setView(&viewA);
        b.setView(&viewB);
        ignore.setView(&viewI);
        f.setView(&viewF);
        a.linkFilter(&ignore);
        b.linkFilter(&ignore);
        b.linkFilter(&f);
        add(ignore, "ignored", "HI", "1", "1");
        for (int i = 0; i < 12; ++i) {
            std::string name = "r" + std::to_string(100 - 7 * i);
            if (i == 5) name += std::string(300, 'x');  // a name in a block of its own
            add(a, name, "HA" + std::to_string(i), i % 2 ? "30" : "4", std::to_string(1000 + 37 * i).c_str());
        }
        // B has A's HA3 with a smaller reference amount (a move merges, renaming it) and HA4 with a larger
        // one.
        add(b, "old3", "HA3", "1", "5");
        add(b, "kept4", "HA4", "99", "5");
        add(b, "b", "HB", "1", "5");
        add(f, "filtered", "HA9", "1", "5");  // B refuses A's HA9
        for (int p : {2, 3, 4, 5, 9, 11}) a.entryAt(p)->setMarked(true);
        viewA.select({1, 3, 4, 5, 9});
        viewB.select({0});
        a.syncSelectionFromView();
        b.syncSelectionFromView();
        for (EntryList* l : {&ignore, &a, &b, &f}) l->setModified(false);
    }
};

std::vector<std::string> snapshot(const EntryList& list, const FakeListView* view) {
    std::vector<std::string> out;
    out.push_back("count " + std::to_string(list.count()) + " selected " +
                  std::to_string(list.selectedCount()) + " sort " + std::to_string(list.sortColumn()) + "/" +
                  std::to_string(list.sortDescending()) + " modified " + std::to_string(list.modified()) +
                  " purge " + std::to_string(list.purgePending()) + " filters " +
                  std::to_string(list.filterLists().size()) + " dependents " +
                  std::to_string(list.dependentLists().size()));
    for (int p = 0; p < list.count(); ++p) {
        const Entry& e = *list.entryAt(p);
        std::string row = e.name().str();
        for (int c = kColTrip; c <= kColHash; ++c) row += "|" + std::string(e.column(c));
        row += "|" + std::string(e.mark()) + "|" + std::to_string(e.selected) + "|" +
               std::to_string(e.purgeMark);
        for (const std::string& x : e.extraColumns()) row += "|" + x;
        out.push_back(row);
    }
    for (int p = 0; p < list.hashPages().size(); ++p)
        out.push_back(std::string("#") + list.hashPages().at(p)->hash());
    if (view) {
        std::string items = "view " + std::to_string(view->itemCount()) + ":";
        for (int p : view->selectedPositions()) items += " " + std::to_string(p);
        out.push_back(items);
    }
    return out;
}

// The first line where the two snapshots differ, or nothing when they are the same.
std::string difference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
    for (std::size_t i = 0; i < got.size() || i < want.size(); ++i) {
        const std::string g = i < got.size() ? got[i] : "(none)", w = i < want.size() ? want[i] : "(none)";
        if (g != w) return "line " + std::to_string(i) + ": " + g + " instead of " + w;
    }
    return "";
}

std::vector<std::string> snapshot(const Lists& l) {
    std::vector<std::string> out;
    for (auto part : {snapshot(l.a, &l.viewA), snapshot(l.b, &l.viewB), snapshot(l.ignore, &l.viewI),
                      snapshot(l.f, &l.viewF)})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct CommandCase {
    const char* name;
    MemoryPlace place;  // the number of the message; a failure outside the rows may name the command instead
    MemoryPlace command;                  // the number of the command's own guard
    std::function<void(Lists&)> prepare;  // before the command, not part of it
    std::function<void(Lists&)> run;
};

void sortAsTheColumnClickDoes(EntryList& list, int column) {
    list.syncSelectionFromView();
    list.sort(column);
    list.pushSelectionToView();
}

// The commands as the window runs them, each inside the guard of its command.
const std::vector<CommandCase>& commandCases() {
    using P = MemoryPlace;
    static const std::vector<CommandCase> cases = {
        {"keyword search", P::Search, P::Search, nullptr,
         [](Lists& l) { runSearchCommand(l.a, "r9 | r5", false, ListKind::Normal); }},
        {"regular-expression search of a list sorted by the mark", P::Search, P::Search,
         [](Lists& l) { sortAsTheColumnClickDoes(l.a, kColMark); },
         [](Lists& l) { runSearchCommand(l.a, "^r[0-9]*[13579]$", true, ListKind::Normal); }},
        {"search by hash", P::Search, P::Search, nullptr,
         [](Lists& l) { runSearchCommand(l.a, "%^HA1", true, ListKind::Normal); }},
        {"sort", P::Sort, P::Sort, nullptr, [](Lists& l) { l.a.sort(kColSize); }},
        {"move to another list", P::AddRow, P::AddRow, nullptr,
         [](Lists& l) {
             l.a.syncSelectionFromView();
             l.a.moveSelectedTo(l.b);
         }},
        {"move into a list sorted by the mark", P::AddRow, P::AddRow,
         [](Lists& l) { sortAsTheColumnClickDoes(l.b, kColMark); },
         [](Lists& l) {
             l.a.syncSelectionFromView();
             l.a.moveSelectedTo(l.b);
         }},
        {"move to the ignore list", P::AddRow, P::AddRow, nullptr,
         [](Lists& l) {
             l.b.syncSelectionFromView();
             l.b.moveSelectedTo(l.ignore);
         }},
        {"move back out of the ignore list into a list that uses it", P::AddRow, P::AddRow,
         [](Lists& l) {
             // A's selection went to the ignore list (and B lost the two of its hashes); four of the ignore
             // list's rows go back to A: "ignored" (HI), r37 (HA9), r65... (HA5, a name in a block of its
             // own) and r79 (HA3).
             l.a.syncSelectionFromView();
             l.a.moveSelectedTo(l.ignore);
             l.viewI.select({0, 1, 2, 4});
             l.ignore.syncSelectionFromView();
         },
         [](Lists& l) {
             l.ignore.syncSelectionFromView();
             l.ignore.moveSelectedTo(l.a);
         }},
        {"move out of a filter list into a list that has some of its hashes", P::AddRow, P::AddRow,
         [](Lists& l) {
             // F gains rows while B does not use it, and is then made B's filter list again (as the menu
             // does): HA3 merges into B's old3 (a larger amount and a longer name), HA4 does not (B's amount
             // is larger), HN and F's own HA9 arrive, HI is refused by B's other filter list.
             l.b.unlinkFilter(&l.f);
             add(l.f, "newer3-" + std::string(280, 'n'), "HA3", "9", "77");
             add(l.f, "older4", "HA4", "5", "5");
             add(l.f, "fresh", "HN", "1", "5");
             add(l.f, "ignored-again", "HI", "1", "5");
             l.b.linkFilter(&l.f);
             l.viewF.select({0, 1, 2, 3, 4});
             l.f.syncSelectionFromView();
         },
         [](Lists& l) {
             l.f.syncSelectionFromView();
             l.f.moveSelectedTo(l.b);
         }},
        {"delete", P::DeleteRows, P::DeleteRows, nullptr,
         [](Lists& l) {
             l.a.syncSelectionFromView();
             l.a.deleteSelected();
         }},
        {"clear", P::ClearList, P::ClearList, nullptr,
         [](Lists& l) {
             l.a.clear();
             l.viewA.deleteAllItems();
         }},
        {"mark the selection", P::Selection, P::Selection, nullptr, [](Lists& l) { l.a.markSelected(); }},
        {"select the marked", P::Selection, P::Selection, nullptr, [](Lists& l) { l.a.selectMarked(); }},
        {"paste", P::AddRow, P::Paste, nullptr,
         [](Lists& l) {
             TextBuffer text;
             if (!text.loadText(kPasted, sizeof kPasted - 1)) throw std::bad_alloc();
             if (addListLines(l.a, text, pastedTextRules(1)) > 0) {
                 l.a.setModified(true);
                 l.a.purgeDependents();
             }
         }},
        {"open in addition", P::AddRow, P::OpenFile, nullptr,
         [](Lists& l) { loadListFile(l.a, l.folder.path("list.txt")); }},
        {"open in place of the rows", P::AddRow, P::OpenFile, nullptr,
         [](Lists& l) {
             replaceWithListFile(l.a, l.folder.path("list.txt"), [&] { l.viewA.deleteAllItems(); });
         }},
        {"use a list as a filter", P::FilterLink, P::FilterLink, nullptr,
         [](Lists& l) { l.a.linkFilter(&l.f); }},
    };
    return cases;
}

std::string memoryMessage(MemoryPlace place) {
    return "[12:34:56] メモリの確保に失敗しました(" + std::to_string(static_cast<int>(place)) + ")";
}

TEST(CommandMemory, ACommandWhoseAllocationFailsLeavesEveryListAsItWasAndSaysSoOnce) {
    test::FixedClock clock(test::makeTime(2024, 5, 1, 12, 34, 56));
    test::ScopedClock clockScope(&clock);
    for (const CommandCase& c : commandCases()) {
        SCOPED_TRACE(c.name);
        // The command as it runs with memory enough: its allocations counted, and the lists it leaves.
        long allocations = 0;
        std::vector<std::string> before, done;
        {
            test::RecordingReporter rec;
            test::ScopedReporter scope(&rec);
            Lists l;
            if (c.prepare) c.prepare(l);
            before = snapshot(l);
            {
                AllocationFailure count(-1);
                guardAllocation(c.command, [&] { c.run(l); });
                allocations = count.counted();
            }
            done = snapshot(l);
            ASSERT_TRUE(rec.boxes.empty());
            ASSERT_NE(before, done);
        }
        int undone = 0;
        for (long k = 0; k < allocations; ++k) {
            SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(allocations) + " fails");
            test::RecordingReporter rec;
            test::ScopedReporter scope(&rec);
            Lists l;
            if (c.prepare) c.prepare(l);
            rec.status[kStatusMessage].clear();
            {
                AllocationFailure fail(k);
                guardAllocation(c.command, [&] { c.run(l); });
                ASSERT_TRUE(fail.fired());
            }
            if (rec.boxes.empty()) {
                // A failure the command found its way around.
                EXPECT_EQ(difference(snapshot(l), done), "");
                continue;
            }
            ++undone;
            EXPECT_EQ(difference(snapshot(l), before), "");
            ASSERT_EQ(rec.boxes.size(), 1u);
            if (rec.boxes[0] != memoryMessage(c.place)) {
                EXPECT_EQ(rec.boxes[0], memoryMessage(c.command));
            }
            EXPECT_EQ(rec.status[kStatusMessage], "");
        }
        // Commands that need no memory cannot fail this way; the others showed what a failure does.
        EXPECT_EQ(undone > 0, allocations > 0);
    }
}

}  // namespace
}  // namespace twk
