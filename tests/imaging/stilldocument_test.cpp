// The still document's transitions as tables: each row is one transition and what the document
// says after it (K, unsaved work, which picture is shown and committed, the filters' source,
// undo and redo, the one change announced). Pictures are told apart by one pixel.
#include "imaging/stilldocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using imaging::StillDocument;
using Change = StillDocument::Change;

namespace {

// A picture whose pixel (0, 0) says which one it is; `width` tells a turned one apart.
platform::Bitmap pic(int n, int width = 8)
{
    platform::Bitmap b(width, 8);
    b.setPixel(0, 0, platform::ColorRef(n));
    return b;
}
int idOf(const platform::Bitmap &b) { return b.isNull() ? -1 : int(b.pixel(0, 0)); }

struct Row {
    std::string what;
    std::function<void(StillDocument &)> act;
    int k;
    bool unsaved;
    int shown;       // idOf(picture())
    int committed;   // idOf(committedPicture())
    int source;      // idOf(filterSource())
    bool canUndo, canRedo;
    Change change;   // the one change announced; Unknown: nothing happened, nothing announced
};

void play(const std::vector<Row> &rows)
{
    StillDocument doc;
    std::vector<Change> announced;
    QObject::connect(&doc, &StillDocument::changed, [&](Change c) { announced.push_back(c); });
    for (const Row &r : rows) {
        announced.clear();
        r.act(doc);
        SCOPED_TRACE(r.what);
        EXPECT_EQ(doc.changeCount(), r.k);
        EXPECT_EQ(doc.hasUnsavedEdits(), r.unsaved);
        EXPECT_EQ(idOf(doc.picture()), r.shown);
        EXPECT_EQ(idOf(doc.committedPicture()), r.committed);
        EXPECT_EQ(idOf(doc.filterSource()), r.source);
        EXPECT_EQ(doc.canUndo(), r.canUndo);
        EXPECT_EQ(doc.canRedo(), r.canRedo);
        if (r.change == Change::Unknown) {
            EXPECT_TRUE(announced.empty());
            continue;
        }
        ASSERT_EQ(announced.size(), 1u);
        EXPECT_EQ(announced[0], r.change);
    }
}

void load0(StillDocument &d) { d.load(pic(0), QStringLiteral("/library/Jpg_20141111_00001.jpg")); }
void begin(StillDocument &d) { d.beginEditing(); }
auto edit(int n) { return [n](StillDocument &d) { d.edit(pic(n)); }; }
void undo(StillDocument &d) { d.undo(); }
void redo(StillDocument &d) { d.redo(); }

} // namespace

TEST(StillDocument, EditsUndoAndRedoRoundTripWithTheCounter)
{
    //    what                          act       K  unsaved shown comm. src  undo   redo   change
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked},
          {"first edit", edit(1), 2, true, 1, 1, 0, true, false, Change::Edited},
          {"second edit", edit(2), 3, true, 2, 2, 0, true, false, Change::Edited},
          {"undo", undo, 2, true, 1, 1, 0, true, true, Change::Edited},
          {"undo to the entry", undo, 1, false, 0, 0, 0, false, true, Change::Edited},
          {"redo", redo, 2, true, 1, 1, 0, true, true, Change::Edited},
          {"redo to the newest", redo, 3, true, 2, 2, 0, true, false, Change::Edited}});
}

TEST(StillDocument, FiveEditsUndoThreeTimesThenTheCounterStaysWhereNoStepIsLeft)
{
    std::vector<Row> rows{{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
                          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked}};
    for (int n = 1; n <= 5; ++n)
        rows.push_back({"edit " + std::to_string(n), edit(n), n + 1, true, n, n, 0, true, false, Change::Edited});
    rows.push_back({"undo to 4", undo, 5, true, 4, 4, 0, true, true, Change::Edited});
    rows.push_back({"undo to 3", undo, 4, true, 3, 3, 0, true, true, Change::Edited});
    rows.push_back({"undo to 2", undo, 3, true, 2, 2, 0, false, true, Change::Edited});
    play(rows);

    // Four slots: past the oldest snapshot kept nothing changes, K included.
    StillDocument doc;
    load0(doc);
    begin(doc);
    for (int n = 1; n <= 5; ++n)
        doc.edit(pic(n));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.changeCount(), 3);
    EXPECT_FALSE(doc.undo());
    EXPECT_EQ(doc.changeCount(), 3);
    EXPECT_EQ(idOf(doc.picture()), 2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(doc.redo());
    EXPECT_FALSE(doc.redo());
    EXPECT_EQ(doc.changeCount(), 6);
}

TEST(StillDocument, ASaveResetsTheHistoryToTheSavedPicture)
{
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked},
          {"edit", edit(1), 2, true, 1, 1, 0, true, false, Change::Edited},
          {"saved", [](StillDocument &d) { d.saved(QStringLiteral("/library/Bmp_1.bmp")); }, 1, false, 1, 1, 1, false,
           false, Change::Saved},
          {"edit after the save", edit(2), 2, true, 2, 2, 1, true, false, Change::Edited},
          // Back to the saved picture, not to the one before it.
          {"undo", undo, 1, false, 1, 1, 1, false, true, Change::Edited},
          {"no step before the save", undo, 1, false, 1, 1, 1, false, true, Change::Unknown}});
}

TEST(StillDocument, SavingAFilterResultMakesItTheFiltersSource)
{
    auto filter = [](int n) { return [n](StillDocument &d) { d.filter(pic(n)); }; };
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"grey", filter(5), 1, true, 5, 5, 0, false, false, Change::Filtered},
          {"saved", [](StillDocument &d) { d.saved(QStringLiteral("/library/Jpg_2.jpg")); }, 1, false, 5, 5, 5, false,
           false, Change::Saved},
          // "Original" now shows what was saved, and the next filter starts from it.
          {"original", [](StillDocument &d) { d.unfilter(); }, 1, false, 5, 5, 5, false, false, Change::Filtered},
          {"complement", filter(6), 1, true, 6, 6, 5, false, false, Change::Filtered},
          {"original again", [](StillDocument &d) { d.unfilter(); }, 1, false, 5, 5, 5, false, false, Change::Filtered}});
}

TEST(StillDocument, AKeptFilterResultAndAnUnstoredSnapshotCountTwo)
{
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"filter", [](StillDocument &d) { d.filter(pic(3)); }, 1, true, 3, 3, 0, false, false, Change::Filtered},
          {"kept", [](StillDocument &d) { d.keepFilter(); }, 2, true, 3, 3, 3, false, false, Change::Marked},
          {"original shows the kept one", [](StillDocument &d) { d.unfilter(); }, 2, true, 3, 3, 3, false, false,
           Change::Filtered},
          {"snapshot", [](StillDocument &d) { d.load(pic(4), QString()); }, 1, false, 4, 4, 4, false, false, Change::Loaded},
          {"not stored", [](StillDocument &d) { d.markUnsaved(); }, 2, true, 4, 4, 4, false, false, Change::Marked},
          // Entering the editor keeps the unsaved mark; the first edit counts on from it.
          {"editor entered", begin, 2, true, 4, 4, 4, false, false, Change::Marked},
          {"edit", edit(5), 3, true, 5, 5, 4, true, false, Change::Edited}});
}

TEST(StillDocument, LeavingTheEditorKeepsTheUnsavedStateAndFeedsTheFilters)
{
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked},
          {"edit", edit(1), 2, true, 1, 1, 0, true, false, Change::Edited},
          {"a rubber band", [](StillDocument &d) { d.preview(pic(9)); }, 2, true, 9, 1, 0, true, false, Change::Previewed},
          // Left without saving (Cancel): the edit is still unsaved, the rubber band is gone.
          {"editor left", [](StillDocument &d) { d.endEditing(); }, 2, true, 1, 1, 1, false, false, Change::Previewed},
          {"entered again", begin, 2, true, 1, 1, 1, false, false, Change::Marked},
          {"left again", [](StillDocument &d) { d.endEditing(); }, 2, true, 1, 1, 1, false, false, Change::Marked}});
}

TEST(StillDocument, PreviewsAreErasedAndNeverCommitted)
{
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked},
          {"marquee", [](StillDocument &d) { d.preview(pic(7)); }, 1, false, 7, 0, 0, false, false, Change::Previewed},
          {"erased", [](StillDocument &d) { d.erasePreview(); }, 1, false, 0, 0, 0, false, false, Change::Previewed},
          {"stroke that does not count", [](StillDocument &d) { d.commit(pic(8)); }, 1, false, 8, 8, 0, false, false,
           Change::Edited},
          {"paste preview", [](StillDocument &d) { d.preview(pic(9)); }, 1, false, 9, 8, 0, false, false, Change::Previewed},
          // The filters take the committed picture, not the preview over it.
          {"filters rebased", [](StillDocument &d) { d.rebaseFilters(); }, 1, false, 8, 8, 8, false, false,
           Change::Previewed}});
    StillDocument doc;
    load0(doc);
    EXPECT_FALSE(doc.erasePreview());
}

TEST(StillDocument, AQuarterTurnOrANewPictureStartsTheHistoryAgain)
{
    play({{"loaded", load0, 1, false, 0, 0, 0, false, false, Change::Loaded},
          {"editor entered", begin, 1, false, 0, 0, 0, false, false, Change::Marked},
          {"edit", edit(1), 2, true, 1, 1, 0, true, false, Change::Edited},
          // The turn counts as an edit; there is nothing to undo to across it.
          {"turned", [](StillDocument &d) { d.replace(pic(2, 4)); }, 3, true, 2, 2, 0, false, false, Change::Replaced},
          {"edit", edit(3), 4, true, 3, 3, 0, true, false, Change::Edited},
          {"undo to the turned", undo, 3, true, 2, 2, 0, false, true, Change::Edited},
          // New (or a snapshot) while editing: a new picture, untouched, the history's first snapshot.
          {"new", [](StillDocument &d) { d.load(pic(4), QString()); }, 1, false, 4, 4, 4, false, false, Change::Loaded},
          {"edit", edit(5), 2, true, 5, 5, 4, true, false, Change::Edited},
          {"undo to new", undo, 1, false, 4, 4, 4, false, true, Change::Edited}});
}

TEST(StillDocument, TheFileFollowsLoadingSavingAndForgetting)
{
    StillDocument doc;
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_FALSE(doc.hasUnsavedEdits());
    doc.markUnsaved();
    EXPECT_FALSE(doc.hasUnsavedEdits()) << "nothing shown, nothing to save";
    doc.load(pic(0), QStringLiteral("/a/Bmp_1.bmp"));
    EXPECT_EQ(doc.filePath(), "/a/Bmp_1.bmp");
    doc.saved(QStringLiteral("/a/Bmp_2.bmp"));
    EXPECT_EQ(doc.filePath(), "/a/Bmp_2.bmp");
    doc.forgetFile();
    EXPECT_TRUE(doc.filePath().isEmpty());
    EXPECT_FALSE(doc.isEmpty());
    doc.clear();
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_EQ(doc.changeCount(), 1);
    EXPECT_TRUE(doc.filterSource().isNull());
}
