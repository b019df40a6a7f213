// Colour schemes in "kiv.ini" and in the main window: the written form and order, reading
// with its all-or-nothing defaults, deleting with contiguous keys and shared sections, the
// "Display Schemes" menu, and a scheme applied to the panels and the navigation path.
#include <QComboBox>
#include <QLineEdit>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "components/FourthTabSet.h"
#include "dialogs/ColorSchemeWindow.h"
#include "mainwindow/collector/Collector.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/schemes/ColorSchemes.h"
#include "mainwindow/schemes/SchemeStore.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class SchemeStore : public ::testing::Test {
protected:
    TestEnvironment env;
    std::string path = env.Dir() + "kiv.ini";
    IniFile ini{path};
    std::string Text() const { return ReadWholeFile(path); }
};

TEST_F(SchemeStore, SavingAppendsTheSectionInItsOrderAndTheListLine) {
    WriteFileAtomic(path, "[Settings]\r\nRowStrings=1\r\n");
    TColorSchemeRec rec;  // the defaults
    EXPECT_EQ(AddColorScheme(ini, "Blue", rec), 0);
    EXPECT_EQ(
        Text(),
        "[Settings]\r\nRowStrings=1\r\n\r\n"
        "[ColorSchemes]\r\n0=Blue\r\n\r\n"
        "[CS_Blue]\r\nRowColor=$ECF3F4\r\nBorderColor=$CECECE\r\nSelRowColor=$E4E2ED\r\n"
        "FocSelRowColor=$E4E2FD\r\nFocBorderColor=$0000FF\r\nFontName=MS Sans Serif\r\nFontSize=10\r\n"
        "FontColor=$000000\r\n");
    // A second scheme of the same name adds a line; both name one section.
    EXPECT_EQ(AddColorScheme(ini, "Blue", rec), 1);
    EXPECT_EQ(SchemeNames(ini), (std::vector<std::string>{"Blue", "Blue"}));
    EXPECT_EQ(ReadColorScheme(ini, 1), ReadColorScheme(ini, 0));
}

TEST_F(SchemeStore, ColoursAreWrittenAsHexadecimalOfAtLeastSixDigits) {
    const std::pair<TColor, const char*> cases[] = {{0, "$000000"},
                                                    {0xFF, "$0000FF"},
                                                    {0xECF3F4, "$ECF3F4"},
                                                    {TColor(0x8000000F), "$8000000F"},
                                                    {0x1000000, "$1000000"}};
    for (const auto& [c, text] : cases) EXPECT_EQ(SchemeColorText(c), text);
    TColorSchemeRec rec;
    rec.RowColor = TColor(0x8000000F);
    WriteColorScheme(ini, "CS_Sys", rec);
    EXPECT_EQ(ini.ReadString("CS_Sys", "RowColor", ""), "$8000000F");
    TColorSchemeRec back;
    ASSERT_TRUE(ParseColorScheme(
        "RowColor=$8000000F\nBorderColor=$CECECE\nSelRowColor=1\nFocSelRowColor=2\n"
        "FocBorderColor=3\nFontName=Arial\nFontSize=9\nFontColor=$FF\n",
        back));
    EXPECT_EQ(back.RowColor, TColor(0x8000000F));
}

struct ParseCase {
    const char* text;
    bool ok;
    const char* what;
};

TEST_F(SchemeStore, ReadingIsAllOrNothing) {
    const std::string full =
        "RowColor=$102030\nBorderColor=$405060\nSelRowColor=$010203\nFocSelRowColor=$040506\nFocBorderColor=$070809\n"
        "FontName=Courier New\nFontSize=12\nFontColor=$0000FF\n";
    TColorSchemeRec rec;
    ASSERT_TRUE(ParseColorScheme(full, rec));
    EXPECT_EQ(rec.RowColor, 0x102030);
    EXPECT_EQ(rec.BorderColor, 0x405060);
    EXPECT_EQ(rec.SelRowColor, 0x010203);
    EXPECT_EQ(rec.FocSelRowColor, 0x040506);
    EXPECT_EQ(rec.FocBorderColor, 0x070809);
    EXPECT_EQ(rec.FontName, "Courier New");
    EXPECT_EQ(rec.FontSize, 12);
    EXPECT_EQ(rec.FontColor, 0xFF);

    const ParseCase cases[] = {
        {"RowColor=$102030\nBorderColor=$405060\nSelRowColor=$010203\nFocSelRowColor=$040506\nFocBorderColor=$070809\n"
         "FontName=Courier New\nFontColor=$0000FF\n",
         false, "FontSize missing"},
        {"RowColor=$102030\nBorderColor=$405060\nSelRowColor=$010203\nFocSelRowColor=$040506\nFocBorderColor=$070809\n"
         "FontName=Courier New\nFontSize=12\n",
         false, "FontColor missing"},
        {"RowColor=blue\nBorderColor=$405060\nSelRowColor=$010203\nFocSelRowColor=$040506\nFocBorderColor=$070809\n"
         "FontName=Courier New\nFontSize=12\nFontColor=$0000FF\n",
         false, "a colour that is not a number"},
        {"", false, "no section"},
        {"RowColor=$102030\r\nBorderColor=$405060\r\nSelRowColor=$010203\r\nFocSelRowColor=$040506\r\n"
         "FocBorderColor=$070809\r\nFontName=Courier New\r\nFontSize=12\r\nFontColor=black\r\n",
         true, "a font colour that is not a number reads as 0"},
    };
    for (const ParseCase& c : cases) {
        TColorSchemeRec r;
        r.RowColor = 1;
        r.FontSize = 99;
        r.RowLines = 3;
        r.Reserved = 7;
        EXPECT_EQ(ParseColorScheme(c.text, r), c.ok) << c.what;
        EXPECT_EQ(r.RowLines, 3) << c.what;
        EXPECT_EQ(r.Reserved, 7) << c.what;
        if (c.ok) {
            EXPECT_EQ(r.FontColor, 0) << c.what;
            continue;
        }
        const TColorSchemeRec d;
        EXPECT_EQ(r.RowColor, d.RowColor) << c.what;
        EXPECT_EQ(r.BorderColor, d.BorderColor) << c.what;
        EXPECT_EQ(r.SelRowColor, d.SelRowColor) << c.what;
        EXPECT_EQ(r.FocSelRowColor, d.FocSelRowColor) << c.what;
        EXPECT_EQ(r.FocBorderColor, d.FocBorderColor) << c.what;
        EXPECT_EQ(r.FontName, "MS Sans Serif") << c.what;
        EXPECT_EQ(r.FontSize, 10) << c.what;
        EXPECT_EQ(r.FontColor, 0) << c.what;
    }
    TColorSchemeRec longName;
    ASSERT_TRUE(ParseColorScheme(full.substr(0, full.find("FontName")) + "FontName=" +
                                     std::string(80, 'x') + "\nFontSize=1\nFontColor=0\n",
                                 longName));
    EXPECT_EQ(longName.FontName, std::string(63, 'x'));
}

// A scheme's numbers are read as the ini file reads its integers: one table of forms.
TEST_F(SchemeStore, NumbersTakeTheFormsOfIniIntegers) {
    struct Case {
        const char* stored;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"$FF", true, 255},       {" $ff ", true, 255},
        {"255", true, 255},       {"-7", true, -7},
        {"+$10", true, 16},       {"-$10", true, -16},
        {"0x10", true, 16},       {"$8000000F", true, int32_t(0x8000000Fu)},
        {"$FFFFFFFF", true, -1},  {"$000000001", true, 1},
        {"0xFFFFFFFF", true, -1}, {"-$FFFFFFFF", true, 1},
        {"$100000000", false, 0}, {"2147483648", false, 0},
        {"$", false, 0},          {"", false, 0},
        {"$1G", false, 0},        {"$-1", false, 0},
        {"1.5", false, 0},
    };
    const std::string colours =
        "RowColor=$102030\nBorderColor=$405060\nSelRowColor=$010203\nFocSelRowColor=$040506\n"
        "FocBorderColor=$070809\nFontName=Arial\n";
    for (const Case& c : cases) {
        TColorSchemeRec size, colour, row;
        EXPECT_EQ(ParseColorScheme(colours + "FontSize=" + c.stored + "\nFontColor=0\n", size),
                  c.ok)
            << c.stored;
        EXPECT_TRUE(ParseColorScheme(colours + "FontSize=9\nFontColor=" + c.stored + "\n", colour))
            << c.stored;
        EXPECT_EQ(colour.FontColor, c.ok ? c.value : 0) << c.stored;
        const std::string rowText = "RowColor=" + std::string(c.stored) +
                                    colours.substr(colours.find('\n')) +
                                    "FontSize=9\nFontColor=0\n";
        EXPECT_EQ(ParseColorScheme(rowText, row), c.ok) << c.stored;
        if (c.ok) {
            EXPECT_EQ(size.FontSize, c.value) << c.stored;
            EXPECT_EQ(row.RowColor, c.value) << c.stored;
        }
    }
}

TEST_F(SchemeStore, ReadingSchemeNTakesTheNthLineInFileOrder) {
    WriteFileAtomic(
        path,
        "[ColorSchemes]\r\n1=Second\r\n0=First\r\n[CS_First]\r\nRowColor=$1\r\n[CS_Second]\r\nRowColor=$2\r\n");
    EXPECT_EQ(ReadColorScheme(ini, 0), "RowColor=$2\n");
    EXPECT_EQ(ReadColorScheme(ini, 1), "RowColor=$1\n");
    EXPECT_EQ(ReadColorScheme(ini, 2), "");
    EXPECT_EQ(ReadColorScheme(ini, -1), "");
}

TEST_F(SchemeStore, DeletingKeepsKeysContiguousAndSharedSections) {
    TColorSchemeRec rec;
    for (const char* n : {"A", "B", "C", "D"}) AddColorScheme(ini, n, rec);
    EXPECT_EQ(DeleteColorScheme(ini, 2), "C");
    EXPECT_EQ(ini.ReadSection("ColorSchemes"), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(SchemeNames(ini), (std::vector<std::string>{"A", "B", "D"}));
    EXPECT_FALSE(ini.SectionExists("CS_C"));
    EXPECT_TRUE(ini.SectionExists("CS_D"));
    EXPECT_EQ(DeleteColorScheme(ini, 3), "") << "no such line";
    EXPECT_EQ(SchemeNames(ini).size(), 3u);

    // Two lines name "B": deleting one keeps the section the other still reads.
    AddColorScheme(ini, "b", rec);
    EXPECT_EQ(DeleteColorScheme(ini, 1), "B");
    EXPECT_TRUE(ini.SectionExists("CS_B"));
    EXPECT_EQ(SchemeNames(ini), (std::vector<std::string>{"A", "D", "b"}));
    EXPECT_NE(ReadColorScheme(ini, 2), "");
    EXPECT_EQ(DeleteColorScheme(ini, 2), "b");
    EXPECT_FALSE(ini.SectionExists("CS_B")) << "the last line naming it took it along";
}

// ---- in the main window ----

class Schemes : public PanelsWindow {
protected:
    TColorSchemes* cs = nullptr;
    void Restart() override {
        PanelsWindow::Restart();
        cs = f->findChild<TColorSchemes*>();
        ASSERT_NE(cs, nullptr);
    }
    void WriteIni(const std::string& text) { WriteFileAtomic(Home() + "kiv.ini", text); }
    static std::string Section(const char* name, const char* row, const char* font, int size) {
        return std::string("[CS_") + name + "]\r\nRowColor=" + row +
               "\r\nBorderColor=$505050\r\nSelRowColor=$404040\r\nFocSelRowColor=$603030\r\nFocBorderColor=$00C0FF\r\n"
               "FontName=" +
               font + "\r\nFontSize=" + std::to_string(size) + "\r\nFontColor=$F0F0F0\r\n";
    }
};

TEST_F(Schemes, TheStartAppliesTheSelectedSchemeToPanelsAndNavigationPath) {
    WriteIni(
        "[Settings]\r\nSelectedColorScheme=1\r\nRowStrings=2\r\n[ColorSchemes]\r\n0=Light\r\n1=Dark\r\n" +
        Section("Light", "$FFFFFF", "Arial", 10) + Section("Dark", "$202020", "Verdana", 14));
    Open("a b c");
    EXPECT_EQ(ColorScheme.RowColor, 0x202020);
    EXPECT_EQ(ColorScheme.FontName, "Verdana") << "the stored name stays as it is";
    EXPECT_EQ(ColorScheme.FontSize, 14);
    EXPECT_EQ(ColorScheme.RowLines, 2) << "the settings' row lines stay";
    EXPECT_EQ(f->WindowSettings().CurrentSchemeIndex, 1);
    // One measurement: the manager's pitch is the scheme font's, and rows are two lines of it.
    const int pitch = MeasureSchemeLineHeight("Verdana", 14, p1);
    EXPECT_EQ(PanelsManager().LineHeight, pitch);
    for (TKivStringGrid* g : {p1, p2, p3}) {
        EXPECT_EQ(g->Color(), 0x202020);
        EXPECT_EQ(g->DefaultRowHeight(), SchemeRowHeight(2, pitch));
    }
    EXPECT_EQ(p1->RowHeights(0), 2 * pitch + 8);
    // Rows of one to three lines, and the values that count as one, at that pitch.
    const std::pair<int, int> lines[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {7, 1}};
    for (const auto& [stored, used] : lines) {
        ColorScheme.RowLines = stored;
        cs->ApplyColorScheme(1);
        EXPECT_EQ(ColorScheme.RowLines, stored);
        EXPECT_EQ(p2->DefaultRowHeight(), used * pitch + 8) << stored;
        EXPECT_EQ(p2->RowHeights(0), used * pitch + 8) << stored;
    }
    TNavigationPath& nav = f->NavPath();
    EXPECT_EQ(nav.tsNavigator->Options().BackgroundColor(), 0x202020);
    EXPECT_EQ(nav.tsNavigator->Options().SeparatorColor(), 0x202020);
    EXPECT_EQ(nav.tsNavigator->Options().DarkShadowColor(), 0x202020);
    EXPECT_EQ(nav.tsNavigator->Options().UnSelectedColor(), 0xF0F0F0);
    EXPECT_EQ(nav.btnShowFullPath->palette().color(QPalette::ButtonText), toQColor(0xF0F0F0));
    EXPECT_EQ(f->Skeleton().pnlNavPath->palette().color(QPalette::Window), toQColor(0x202020));
}

TEST_F(Schemes, AMissingFontDrawsThroughItsSubstituteAtThePanelsPitch) {
    WriteIni("[Settings]\r\nSelectedColorScheme=1\r\n[ColorSchemes]\r\n0=Light\r\n1=Old\r\n" +
             Section("Light", "$FFFFFF", "Arial", 10) +
             Section("Old", "$202020", "MS Sans Serif", 11));
    Open("a b");
    EXPECT_EQ(ColorScheme.FontName, "MS Sans Serif");
    const QString drawn = SubstituteFontName(QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(p1->CaptionEditor->font().family(), drawn);
    // The editor's preview, on the applied scheme, rows at the panels' very pitch.
    cs->ShowEditor();
    TfrmColorScheme* e = cs->Editor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->EditorScheme.FontName, "MS Sans Serif");
    EXPECT_EQ(e->sgdSettings->Cells(1, 1), "MS Sans Serif, Size:11");
    EXPECT_EQ(e->sgdTest->LineHeight(), PanelsManager().LineHeight);
    EXPECT_EQ(e->sgdTest->DefaultRowHeight(), SchemeRowHeight(2, PanelsManager().LineHeight));
    e->hide();
}

TEST_F(Schemes, PanelsPaintInTheSchemesColours) {
    WriteIni("[Settings]\r\nSelectedColorScheme=1\r\n[ColorSchemes]\r\n0=Light\r\n1=Dark\r\n" +
             Section("Light", "$FFFFFF", "Arial", 10) + Section("Dark", "$302820", "Arial", 12));
    Open("a(x(y) \"a long caption of the second row\") b c");
    const QImage shot = p2->viewport()->grab().toImage();
    auto at = [&](QPoint p) { return QColor(shot.pixel(p)); };
    // Row 1 of panel 2: an ordinary row on the scheme's background, its caption in the
    // scheme's font colour, its badge white (no children) under a separator of BorderColor.
    const QRect k = p2->CaptionRect(1);
    const QRect b = TKivStringGrid::BadgeRect(p2->RowContentRect(1));
    EXPECT_EQ(at({k.right() - 2, k.bottom() - 2}), toQColor(0x302820));
    EXPECT_EQ(at({b.left() + 3, b.top() + 7}), QColor(Qt::white));
    EXPECT_EQ(at({k.center().x(), p2->RowContentRect(1).top()}), toQColor(0x505050));
    int light = 0;
    for (int y = k.top(); y <= k.bottom(); ++y)
        for (int x = k.left(); x < k.left() + 120 && x <= k.right(); ++x)
            light += at({x, y}).lightness() > 200;
    EXPECT_GT(light, 20) << "the caption is drawn light on the dark rows";
    // Row 0 has children: a yellow badge; the space under the last row is background.
    const QRect b0 = TKivStringGrid::BadgeRect(p2->RowContentRect(0));
    EXPECT_EQ(at({b0.left() + 3, b0.top() + 7}), toQColor(0x00FFFF));
    const QRect last = p2->CellRect(0, p2->RowCount() - 1);
    EXPECT_EQ(at({last.center().x(), last.bottom() + 10}), toQColor(0x302820));
    // No row is clipped: every caption line fits into its row.
    EXPECT_GE(p2->RowHeights(1), PanelsManager().LineHeight + 8);
}

TEST_F(Schemes, AnUnreadableSchemeGivesTheDefaultsAndTheMenuChecksTheFirst) {
    // "Broken" lacks only its FontSize.
    std::string broken = Section("Broken", "$202020", "Verdana", 14);
    broken.erase(broken.find("FontSize="), std::string("FontSize=14\r\n").size());
    WriteIni("[ColorSchemes]\r\n0=Light\r\n1=Broken\r\n" +
             Section("Light", "$FFFFFF", "Arial", 10) + broken);
    Open("a");
    cs->ApplyColorScheme(0);
    EXPECT_EQ(ColorScheme.RowColor, 0xFFFFFF);
    cs->ApplyColorScheme(1);
    EXPECT_EQ(ColorScheme.RowColor, 0xECF3F4);
    EXPECT_EQ(ColorScheme.FontName, "MS Sans Serif");
    EXPECT_EQ(f->WindowSettings().CurrentSchemeIndex, 0);
    EXPECT_EQ(p1->Color(), 0xECF3F4);

    emit cs->ColorScheme1->aboutToShow();
    QList<QAction*> items = cs->ColorScheme1->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "Light");
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_EQ(items[1]->text(), "Broken");
    EXPECT_EQ(items[1]->data().toInt(), 1);
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], cs->N23);
    EXPECT_EQ(cs->N23->text(), "Customize..");
    EXPECT_TRUE(f->Skeleton().Settings1->actions().contains(cs->ColorScheme1->menuAction()));

    // Rebuilt on every open: a scheme added meanwhile shows, nothing doubles.
    KivIni().WriteString("ColorSchemes", "2", "Light");
    emit cs->ColorScheme1->aboutToShow();
    items = cs->ColorScheme1->actions();
    ASSERT_EQ(items.size(), 5);
    items[2]->trigger();
    EXPECT_EQ(f->WindowSettings().CurrentSchemeIndex, 2);
    EXPECT_EQ(ColorScheme.RowColor, 0xFFFFFF);
}

// A fresh program folder has no scheme: the program's own colours become the first, so the
// first one the user saves is not the one that cannot be deleted.
TEST_F(Schemes, AFreshProgramFolderKeepsTheBuiltInFirstScheme) {
    Open("a");
    ASSERT_TRUE(SchemeNames(KivIni()).empty());
    cs->ShowEditor();
    TfrmColorScheme* e = cs->Editor();
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->cbxAvSchemes->count(), 1);
    EXPECT_EQ(e->cbxAvSchemes->itemText(0), "Default");
    EXPECT_FALSE(e->btnDelete->isEnabled());
    TColorSchemeRec builtIn;
    builtIn.RowColor = 1;
    builtIn.FontSize = 99;
    ASSERT_TRUE(ParseColorScheme(ReadColorScheme(KivIni(), 0), builtIn));
    const TColorSchemeRec d;
    EXPECT_EQ(builtIn.RowColor, d.RowColor);
    EXPECT_EQ(builtIn.FocBorderColor, d.FocBorderColor);
    EXPECT_EQ(builtIn.FontName, d.FontName);
    EXPECT_EQ(builtIn.FontSize, d.FontSize);

    e->btnSaveAsClick();
    e->frmSaveScheme->Edit1->setText(QStringLiteral("Blue"));
    e->frmSaveScheme->OKClick();
    ASSERT_EQ(SchemeNames(KivIni()), (std::vector<std::string>{"Default", "Blue"}));
    EXPECT_EQ(e->cbxAvSchemes->currentIndex(), 1);
    EXPECT_TRUE(e->btnDelete->isEnabled()) << "a scheme the user made can be deleted";
    e->btnDeleteClick();
    EXPECT_EQ(SchemeNames(KivIni()), (std::vector<std::string>{"Default"}));
    const std::string text = ReadWholeFile(Home() + "kiv.ini");
    EXPECT_NE(text.find("[ColorSchemes]\r\n0=Default\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[CS_Default]"), std::string::npos) << text;
    EXPECT_EQ(text.find("CS_Blue"), std::string::npos) << text;
    e->hide();
}

TEST_F(Schemes, TheEditorSavesDeletesAndApplies) {
    WriteIni("[ColorSchemes]\r\n0=Light\r\n1=A\r\n2=B\r\n3=C\r\n" +
             Section("Light", "$FFFFFF", "Arial", 10) + Section("A", "$111111", "Arial", 10) +
             Section("B", "$222222", "Arial", 10) + Section("C", "$333333", "Arial", 10));
    Open("a");
    cs->ApplyColorScheme(2);
    cs->ShowEditor();
    TfrmColorScheme* e = cs->Editor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->cbxAvSchemes->currentIndex(), 2) << "shows the applied scheme";
    EXPECT_EQ(e->EditorSchemeName, "B");
    EXPECT_EQ(e->EditorScheme.RowLines, 2);

    // Deleting the scheme the main window shows applies the first.
    e->btnDeleteClick();
    EXPECT_EQ(KivIni().ReadSection("ColorSchemes"), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(SchemeNames(KivIni()), (std::vector<std::string>{"Light", "A", "C"}));
    EXPECT_EQ(f->WindowSettings().CurrentSchemeIndex, 0);
    EXPECT_EQ(ColorScheme.RowColor, 0xFFFFFF);
    EXPECT_EQ(e->cbxAvSchemes->count(), 3);
    EXPECT_EQ(e->cbxAvSchemes->currentIndex(), 0);
    EXPECT_FALSE(e->btnDelete->isEnabled());

    // Saved under a new, padded name: appended, loaded, and applicable.
    e->btnSaveAsClick();
    EXPECT_FALSE(f->isEnabled()) << "the main window waits for the save window";
    EXPECT_FALSE(f->Collector().isEnabled());
    e->frmSaveScheme->Edit1->setText(QStringLiteral("  Green  "));
    e->frmSaveScheme->OKClick();
    EXPECT_TRUE(e->frmSaveScheme->isHidden());
    EXPECT_TRUE(f->isEnabled());
    EXPECT_TRUE(f->Collector().isEnabled());
    EXPECT_EQ(SchemeNames(KivIni()).back(), "Green");
    EXPECT_EQ(KivIni().ReadString("ColorSchemes", "3", ""), "Green");
    EXPECT_TRUE(KivIni().SectionExists("CS_Green"));
    EXPECT_EQ(e->cbxAvSchemes->currentIndex(), 3);
    e->btnApplyClick();
    EXPECT_EQ(f->WindowSettings().CurrentSchemeIndex, 3);
    e->hide();
}

}  // namespace
}  // namespace kiv::wintest
