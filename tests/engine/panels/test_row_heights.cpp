// Row heights: one line pitch for measuring, drawing and the caption editor in every
// pinned font; the pitch measured from the scheme's font; heights that survive a scroll
// bar appearing and any resize.
#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>

#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

const std::string kLong =
    "A rather long caption that wraps over several lines of the panel because it keeps going "
    "with more words than fit on one line of it";

class RowHeights : public PanelsFixture {
protected:
    void UseFont(const char* family, int size) {
        ColorScheme.FontName = family;
        ColorScheme.FontSize = size;
        PanelsManager().ApplySchemeFont();
    }
    int Pitch() const { return PanelsManager().LineHeight; }
    int Default() const { return Pitch() + 8; }
    // The rows shown taller than the default height.
    std::vector<int> Tall(const TKivStringGrid* g) const {
        std::vector<int> rows;
        for (int r = 0; r < g->RowCount(); ++r)
            if (g->RowHeights(r) > g->DefaultRowHeight()) rows.push_back(r);
        return rows;
    }
    // Every row's height is what its caption needs at the panel's present width, or the
    // default height for the rows listed as collapsed.
    void ExpectFitted(const TKivStringGrid* g, const std::vector<int>& collapsed) const {
        EXPECT_EQ(g->ColWidths(0), g->ClientWidth()) << "the column fills the panel";
        for (int r = 0; r < g->RowCount(); ++r) {
            const bool down = std::find(collapsed.begin(), collapsed.end(), r) != collapsed.end();
            EXPECT_EQ(g->RowHeights(r), down ? g->DefaultRowHeight() : g->RowHeight(r))
                << "row " << r;
        }
    }
};

// The fonts that the program's dependencies install, at the sizes schemes use.
struct PinnedFont {
    const char* family;
    int size;
};
const PinnedFont kPinnedFonts[] = {
    {"DejaVu Sans", 8},      {"DejaVu Sans", 9},       {"DejaVu Sans", 10},
    {"DejaVu Sans", 12},     {"Liberation Sans", 8},   {"Liberation Sans", 10},
    {"Liberation Sans", 12}, {"Liberation Serif", 11},
};

TEST_F(RowHeights, OneLinePitchForMeasuringDrawingAndTheEditorInEveryPinnedFont) {
    Open("one \"two lines\" \"three lines\" d");
    TNester& m = *p[0]->Nester;
    EXPECT_TRUE(m.SetCaption(1, "two\r\nlines"));
    EXPECT_TRUE(m.SetCaption(2, "three\r\nlines\r\nhere"));
    int tried = 0;
    for (const PinnedFont& f : kPinnedFonts) {
        if (!QFontDatabase::hasFamily(QString::fromLatin1(f.family)))
            continue;  // fonts-liberation2 is optional here
        ++tried;
        SCOPED_TRACE(std::string(f.family) + " " + std::to_string(f.size));
        UseFont(f.family, f.size);
        EXPECT_EQ(Pitch(), QFontMetrics(FontFromStored(QString::fromLatin1(f.family), f.size), p[0])
                               .height());
        EXPECT_EQ(p[0]->DefaultRowHeight(), Default());
        // A one-line caption is exactly a default row, also with a link beside the badge.
        EXPECT_EQ(p[0]->RowHeight(0), Default());
        EXPECT_TRUE(m.LaunchList().SetLinks(0,
                                            "/nowhere/file.txt\x01"
                                            "file\r\n"));
        EXPECT_EQ(p[0]->RowHeight(0), Default());
        EXPECT_TRUE(m.LaunchList().SetLinks(0, ""));
        EXPECT_EQ(p[0]->RowHeight(1), 2 * Pitch() + 8);
        EXPECT_EQ(p[0]->RowHeight(2), 3 * Pitch() + 8);
        EXPECT_EQ(p[0]->CaptionTextHeight(QStringLiteral("three\nlines\nhere"), 200, fsBold),
                  3 * Pitch());

        // The editor over a three-line caption puts its lines one pitch apart and needs
        // exactly the caption's rectangle.
        p[0]->SelectRow(2);
        PanelsManager().SetEditMode(true);
        TKivMemo* ed = p[0]->CaptionEditor;
        EXPECT_EQ(ed->LinePitch(), Pitch());
        EXPECT_EQ(p[0]->RowHeights(2), 3 * Pitch() + 8);
        EXPECT_EQ(ed->geometry(), p[0]->CaptionRect(2));
        QAbstractTextDocumentLayout* layout = ed->document()->documentLayout();
        int i = 0;
        for (QTextBlock b = ed->document()->firstBlock(); b.isValid(); b = b.next(), ++i)
            EXPECT_EQ(layout->blockBoundingRect(b).top(), i * Pitch()) << "line " << i;
        EXPECT_EQ(i, 3);
        EXPECT_LE(layout->documentSize().height(), ed->height());
        PanelsManager().SetEditMode(false);
        p[0]->SelectRow(0);
    }
    EXPECT_GE(tried, 4);
}

TEST_F(RowHeights, TheDrawnCaptionKeepsToItsLines) {
    Open("a \"x\" b");
    TNester& m = *p[0]->Nester;
    EXPECT_TRUE(m.SetCaption(1, "H\r\nH\r\nH"));
    p[0]->FitRowHeight(1);
    ASSERT_EQ(p[0]->RowHeights(1), 3 * Pitch() + 8);
    const QImage img = Shot(p[0]);
    const QRect k = p[0]->CaptionRect(1);
    const TColor face = Pixel(img, Right(k) - 4, k.y() + 2);
    // Ink of each "H" lies in its own band of one pitch, and none below the third.
    auto inkIn = [&](int top, int bottom) {
        for (int y = std::max(top, k.y()); y < std::min(bottom, Bottom(k)); ++y)
            for (int x = k.x(); x < k.x() + 12; ++x)
                if (Pixel(img, x, y) != face) return true;
        return false;
    };
    for (int line = 0; line < 3; ++line)
        EXPECT_TRUE(inkIn(k.y() + line * Pitch(), k.y() + (line + 1) * Pitch())) << "line " << line;
    EXPECT_FALSE(inkIn(k.y() + 3 * Pitch(), Bottom(k)));
}

TEST_F(RowHeights, TheEditorWrapsLikeTheCaption) {
    Open("a \"" + kLong + "\" b");
    p[0]->SelectRow(1);
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    const QRect k = p[0]->CaptionRect(1);
    const int lines = p[0]->CaptionLineCount(ed->Text(), k.width(), 0);
    ASSERT_GE(lines, 3);
    EXPECT_EQ(ed->LineCount(), lines);
    EXPECT_EQ(p[0]->RowHeights(1), lines * Pitch() + 8);
    EXPECT_EQ(ed->geometry(), k);
}

TEST_F(RowHeights, TheLineHeightIsMeasuredAtStartAndWhenTheSchemeFontChanges) {
    // The manager measured the scheme's font when it was made; nothing set it by hand.
    const QFont font =
        FontFromStored(QString::fromStdString(ColorScheme.FontName), ColorScheme.FontSize);
    EXPECT_EQ(Pitch(), QFontMetrics(font).height());
    Open("a \"" + kLong + "\" c");
    p[0]->FitRowHeight(1);
    const int before = p[0]->RowHeights(1);

    UseFont("DejaVu Sans", 16);
    EXPECT_EQ(Pitch(),
              QFontMetrics(FontFromStored(QStringLiteral("DejaVu Sans"), 16), p[0]).height());
    EXPECT_GT(Pitch(), QFontMetrics(font).height());
    for (auto* g : p) {
        EXPECT_EQ(g->DefaultRowHeight(), Default());
        EXPECT_EQ(g->CaptionEditor->LinePitch(), Pitch());
        EXPECT_EQ(g->CaptionEditor->font().pointSize(), 16);
    }
    EXPECT_EQ(p[0]->RowHeights(0), Default());
    EXPECT_EQ(p[0]->RowHeights(1), p[0]->RowHeight(1)) << "the expanded row stays expanded";
    EXPECT_GT(p[0]->RowHeights(1), before);
}

TEST_F(RowHeights, ExpandedRowsSurviveTheScrollBarTheyBring) {
    TKivStringGrid* g = p[0];
    g->SetScrollBars(TCustomGrid::ssVertical);
    std::string tree;
    for (int i = 0; i < 8; ++i) tree += "short" + std::to_string(i) + " \"" + kLong + "\" ";
    Open(tree);
    ASSERT_FALSE(g->verticalScrollBar()->isVisible());
    const int wide = g->ClientWidth();
    // Expanding one long caption after another, as its "+" box does, until the rows need
    // the scroll bar and a few more.
    std::vector<int> expanded;
    for (int r = 1; r < g->RowCount(); r += 2) {
        g->FitRowHeight(r);
        expanded.push_back(r);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(g->verticalScrollBar()->isVisible());
    ASSERT_LT(g->ClientWidth(), wide);
    EXPECT_EQ(Tall(g), expanded);
    std::vector<int> collapsed;
    for (int r = 0; r < g->RowCount(); r += 2) collapsed.push_back(r);
    ExpectFitted(g, collapsed);
}

TEST_F(RowHeights, AResizeMeasuresRowsAgainAndKeepsExpandedOnesExpanded) {
    TKivStringGrid* g = p[0];
    Open("a \"" + kLong + "\" \"" + kLong + "\" d");
    g->FitRowHeight(1);
    const int atFull = g->RowHeights(1);
    ASSERT_GT(atFull, g->DefaultRowHeight());

    g->resize(kWidth / 2, kHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(Tall(g), (std::vector<int>{1}));
    ExpectFitted(g, {0, 2, 3});
    EXPECT_GT(g->RowHeights(1), atFull) << "narrower wraps into more lines";

    g->resize(kWidth, kHeight);
    QCoreApplication::processEvents();
    ExpectFitted(g, {0, 2, 3});
    EXPECT_EQ(g->RowHeights(1), atFull);

    // With expand-all every row is fitted at each width; a height-only resize measures nothing.
    g->SetExpandAll(true);
    g->resize(kWidth * 2 / 3, kHeight);
    QCoreApplication::processEvents();
    ExpectFitted(g, {});
    EXPECT_EQ(Tall(g), (std::vector<int>{1, 2}));
    g->resize(kWidth * 2 / 3, kHeight / 2);
    QCoreApplication::processEvents();
    ExpectFitted(g, {});
}

TEST_F(RowHeights, TheRowBeingEditedKeepsItsHeightThroughAResize) {
    TKivStringGrid* g = p[0];
    Open("a \"" + kLong + "\" c");
    ASSERT_NO_FATAL_FAILURE(Activate(g));
    g->SelectRow(1);
    PanelsManager().SetEditMode(true);
    ASSERT_GT(g->RowHeights(1), g->DefaultRowHeight());
    g->resize(kWidth / 2, kHeight);
    QCoreApplication::processEvents();
    ExpectFitted(g, {0, 2});
    EXPECT_EQ(g->CaptionEditor->geometry(), g->CaptionRect(1));
}

}  // namespace
}  // namespace kiv::paneltest
