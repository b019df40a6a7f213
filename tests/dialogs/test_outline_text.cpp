// The outline text generator on real datastructure files: scopes, numbers, indents, the
// title's colour and style, the links block and text cards plain and formatted.
#include <QTextList>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/EditorFile.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"
#include "tests/dialogs/OutlineFixture.h"

namespace kiv::test {
namespace {

const QColor kBlack(0, 0, 0), kBlue(0, 0, 255), kRed(255, 0, 0);

TOutlineTextOptions Opt(TOutlineScope scope, bool numbers = false, bool cards = false,
                        bool formatting = false, bool links = false) {
    return {scope, numbers, cards, formatting, links};
}

std::vector<qreal> IndentsOf(const QTextDocument& doc, std::initializer_list<int> paragraphs) {
    std::vector<qreal> out;
    for (int p : paragraphs) out.push_back(FirstLineIndent(doc.findBlockByNumber(p)));
    return out;
}

class OutlineText : public OutlineFixture {};

TEST_F(OutlineText, SelectedPanelGivesEachRowAndAnEmptyLine) {
    Open("A B");
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, true)), QStringList({"1. A", "", "2. B", ""}));
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel)), QStringList({"A", "", "B", ""}));
    EXPECT_EQ(At(0), (Look{kBlack, 12, false, false, false, 3}));
}

TEST_F(OutlineText, NumbersArePositionsAmongSiblingsAndIndentsFollowTheLevel) {
    Open("a(b c) d(e)");
    model.Expand(0);
    model.Expand(3);  // rows: a b c d e
    ASSERT_EQ(model.RowCount(), 5);
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, true)),
              QStringList({"1. a", "", "1. b", "", "2. c", "", "2. d", "", "1. e", ""}));
    EXPECT_EQ(IndentsOf(doc, {0, 2, 4, 6, 8}), (std::vector<qreal>{3, 33, 33, 3, 33}));
    for (int r = 0; r < model.RowCount(); ++r)
        EXPECT_EQ(doc.findBlockByNumber(2 * r).text().left(1).toInt(), model.SiblingIndex(r) + 1)
            << r;
}

TEST_F(OutlineText, AnEmptyPanelGivesAnEmptyDocument) {
    Open("");
    ASSERT_EQ(model.RowCount(), 0);
    doc.setPlainText("old");
    for (TOutlineScope s : {TOutlineScope::Panel, TOutlineScope::Branch, TOutlineScope::Outline}) {
        EXPECT_EQ(BuildOutlineText(doc, Opt(s, true, true), model, cards), 0);
        EXPECT_TRUE(doc.isEmpty());
    }
}

TEST_F(OutlineText, CurrentBranchIsTheCurrentTopicAndItsSubTreeInStoredOrder) {
    Open("a(b(c) d) e");
    model.SetCurrentRow(0);
    EXPECT_EQ(Generate(Opt(TOutlineScope::Branch, true)),
              QStringList({"1. a", "", "1. b", "", "1. c", "", "2. d", ""}));
    EXPECT_EQ(IndentsOf(doc, {0, 2, 4, 6}), (std::vector<qreal>{3, 33, 63, 33}));

    model.SetCurrentRow(1);
    EXPECT_EQ(Generate(Opt(TOutlineScope::Branch, true)), QStringList({"2. e", ""}));

    // A row shown below its parent: the walk starts in its own nest, at depth 0.
    model.Expand(0);  // rows: a b d e
    model.SetCurrentRow(1);
    EXPECT_EQ(Generate(Opt(TOutlineScope::Branch, true)), QStringList({"1. b", "", "1. c", ""}));
    EXPECT_EQ(IndentsOf(doc, {0, 2}), (std::vector<qreal>{3, 33}));
}

TEST_F(OutlineText, WholeOutlineIsEveryTopicWhateverThePanelShows) {
    Open("a(b(c) d) e");
    model.RootNest = model.GetItem(0).ChildNest;  // the panel shows a's children only
    model.LoadBranch(-1, false);
    EXPECT_EQ(Generate(Opt(TOutlineScope::Outline, true)),
              QStringList({"1. a", "", "1. b", "", "1. c", "", "2. d", "", "2. e", ""}));
    EXPECT_EQ(IndentsOf(doc, {0, 2, 4, 6, 8}), (std::vector<qreal>{3, 33, 63, 33, 3}));
}

TEST_F(OutlineText, TheCaptionPrefixGivesTheTitleItsColourAndStyleOnlyWithoutTextCards) {
    Open("x");
    Card("x", kCardCaption, std::string("\xFF\x00\x00\x00\x03\x01Red", 9));
    struct Case {
        const char* name;
        TOutlineTextOptions options;
        Look title;
    };
    const Case cases[] = {
        {"plain", Opt(TOutlineScope::Panel), {kBlack, 12, false, false, false, 3}},
        {"formatting",
         Opt(TOutlineScope::Panel, false, false, true),
         {kRed, 12, true, true, false, 3}},
        {"text card", Opt(TOutlineScope::Panel, false, true), {kBlue, 14, false, false, false, 3}},
        {"text card, formatting",
         Opt(TOutlineScope::Panel, false, true, true),
         {kBlue, 14, false, false, false, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Generate(c.options).value(0), "Red") << c.name;
        EXPECT_EQ(At(0), c.title) << c.name;
    }
}

TEST_F(OutlineText, ACaptionWithoutTheSixByteMarkIsWrittenWhole) {
    Open("a b c");
    Card("a", kCardCaption, "ABCDE");
    Card("b", kCardCaption, "ABCDE\x02xyz");
    // A prefix with the default colour (-1) writes the title black, its style kept.
    Card("c", kCardCaption,
         std::string("\xFF\xFF\xFF\xFF\x04\x01"
                     "Dflt",
                     10));
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, false, false, true)),
              QStringList({"ABCDE", "", "ABCDE\x02xyz", "", "Dflt", ""}));
    EXPECT_EQ(At(4), (Look{kBlack, 12, false, false, true, 3}));
}

TEST_F(OutlineText, LinksBlockListsTheTargetsUnderItsHeading) {
    Open("a b");
    Card("a", kCardLaunch,
         "http://example.org/\x01"
         "Example\r\nno title mark\r\n" +
             AppDir() +
             "docs/a.txt\x01"
             "A\r\n");
    const QStringList p = Generate(Opt(TOutlineScope::Panel, false, false, false, true));
    const QString expanded = QString::fromStdString(AppDir() + "docs/a.txt");
    EXPECT_EQ(p,
              QStringList({"a", "Links:", "http://example.org/", "", expanded, "", "", "b", ""}));
    EXPECT_EQ(At(1), (Look{kBlack, 8, true, false, false, 18}));
    for (int i : {2, 4}) EXPECT_EQ(At(i), (Look{kBlue, 9, false, false, true, 18})) << i;
    // The stored form is relative to the program folder; the document shows the real path.
    std::string stored;
    TCardArray dir;
    ReadCardDirectory(dsc.get(), model.CardDir(0), dir);
    ReadCardOfKind(dsc.get(), dir, kCardLaunch, stored);
    EXPECT_NE(stored.find("||docs/a.txt"), std::string::npos);
}

constexpr const char* kCard =
    "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 \\b Bold\\b0  words\\par second line\\par}";

TEST_F(OutlineText, PlainTextCardsAreIndentedBlackEleven) {
    Open("a b c");
    Card("a", kCardText, kCard);
    Card("b", kCardText,
         "\x01Legacy \xE9"
         "t\xE9");  // a card never formatted, Windows-1252
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, false, true)),
              QStringList({"a", "Bold words", "second line", "", "b", "Legacy \u00e9t\u00e9", "",
                           "c", "", ""}));
    EXPECT_EQ(At(1), (Look{kBlack, 11, false, false, false, 18}));
    EXPECT_EQ(At(2), (Look{kBlack, 11, false, false, false, 18}));
    EXPECT_EQ(At(0), (Look{kBlue, 14, false, false, false, 3}));
}

TEST_F(OutlineText, FormattedTextCardsKeepTheirFormatsAndMoveToTheBodyIndent) {
    Open("a b c d");
    Card("a", kCardText, kCard);
    Card("b", kCardText,
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green128\\blue0;}"
         "\\pard\\qc\\li600\\fi-300\\cf1 Hanging\\par}");
    Card(
        "c", kCardText,
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}\\f0"
        "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200 item\\par}");
    Card("d", kCardText, "\x01");  // nothing left after the mark
    const QStringList p = Generate(Opt(TOutlineScope::Panel, false, true, true));
    EXPECT_EQ(p, QStringList({"a", "Bold words", "second line", "", "b", "Hanging", "", "c", "item",
                              "", "d", ""}));

    EXPECT_EQ(At(1), (Look{kBlack, 10, true, false, false, 18})) << "automatic colour reads black";
    EXPECT_EQ(At(2).indent, 18);
    // Its shape is kept: first line at the body indent, the rest 20 pixels further in.
    const QTextBlock hanging = doc.findBlockByNumber(5);
    EXPECT_EQ(At(5), (Look{QColor(0, 128, 0), 12, false, false, false, 18}));
    EXPECT_EQ(hanging.blockFormat().leftMargin(), 38);
    EXPECT_TRUE(hanging.blockFormat().alignment() & Qt::AlignHCenter);
    // What follows a card takes none of its paragraph formats.
    EXPECT_FALSE(doc.findBlockByNumber(6).blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(doc.findBlockByNumber(7).blockFormat().alignment() & Qt::AlignHCenter);
    ASSERT_NE(doc.findBlockByNumber(8).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(9).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(10).textList(), nullptr);
}

TEST_F(OutlineText, AnEmptyCardAddsALineOnlyInPlainText) {
    Open("a");
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, false, true)), QStringList({"a", "", ""}));
    EXPECT_EQ(Generate(Opt(TOutlineScope::Panel, false, true, true)), QStringList({"a", ""}));
}

TEST_F(OutlineText, TheRtfOfTheDocumentReadsBackWithTheSameParagraphsAndLooks) {
    Open("a(b) c");
    model.Expand(0);
    Card("a", kCardText, kCard);
    Card("b", kCardLaunch, "http://example.org/\x01X\r\n");
    Card("c", kCardCaption,
         std::string("\xFF\x00\x00\x00\x03\x01"
                     "c",
                     7));
    for (bool cards : {false, true}) {
        const QStringList p = Generate(Opt(TOutlineScope::Panel, true, cards, true, true));
        const std::string rtf = WriteRtf(doc);
        ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
        QTextDocument back;
        LoadRichText(back, rtf);
        EXPECT_EQ(Paragraphs(back), p) << cards;
        for (int i = 0; i < p.size(); ++i) {
            if (p[i].isEmpty()) continue;
            EXPECT_EQ(LookOf(back.findBlockByNumber(i)), At(i)) << cards << " paragraph " << i;
        }
    }
}

TEST_F(OutlineText, ThePlainTextExportIsTheTextOfTheDocument) {
    Open("a(b(c) d) \"e f\" g");
    model.Expand(0);
    model.Expand(1);  // rows: a b c d "e f" g
    model.SetCurrentRow(1);
    Card("a", kCardText, kCard);
    Card("b", kCardText,
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 no\\~break, line\\line broken\\tab tab\\par\\par}");
    Card("c", kCardText, "\x01plain\r\ncard \xE9");
    Card("d", kCardLaunch, "http://example.org/\x01X\r\nbare\r\n");
    Card("e f", kCardCaption,
         std::string("\xFF\x00\x00\x00\x03\x01"
                     "two\r\nlines",
                     16));
    Card("g", kCardText, "{\\rtf1 \\par}");
    for (TOutlineScope scope :
         {TOutlineScope::Panel, TOutlineScope::Outline, TOutlineScope::Branch})
        for (int bits = 0; bits < 16; ++bits) {
            const TOutlineTextOptions o = Opt(scope, bits & 1, bits & 2, bits & 4, bits & 8);
            const int n = BuildOutlineText(doc, o, model, cards);
            std::string text;
            EXPECT_EQ(BuildOutlineTextFile(text, o, model, cards), n);
            EXPECT_EQ(text, DocumentTextFile(doc)) << int(scope) << " options " << bits;
        }
}

TEST_F(OutlineText, ProgressIsReportedWhileTheWalkGoesOn) {
    std::string tree;
    for (int i = 0; i < 450; ++i) tree += "t" + std::to_string(i) + " ";
    Open(tree);
    std::vector<int> seen;
    EXPECT_EQ(BuildOutlineText(doc, Opt(TOutlineScope::Outline), model, cards,
                               [&](int n) { seen.push_back(n); }),
              450);
    EXPECT_EQ(seen, (std::vector<int>{200, 400}));
    EXPECT_EQ(Paragraphs(doc).size(), 900);
}

}  // namespace
}  // namespace kiv::test
