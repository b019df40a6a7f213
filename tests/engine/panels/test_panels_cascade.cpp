// The cascade of panels, the manager's shared settings and the link classification.
#include <QFile>
#include <fstream>

#include "engine/core/Cards.h"
#include "platform/core/AppPaths.h"
#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

class Cascade : public PanelsFixture {};

TEST_F(Cascade, EachPanelShowsTheChildrenOfTheCurrentTopicBeforeIt) {
    Open("a(b(c d) e) f");
    EXPECT_EQ(Rows(p[0]), "a f");
    EXPECT_EQ(Rows(p[1]), "b e");
    EXPECT_EQ(Rows(p[2]), "c d");
    EXPECT_EQ(p[1]->RowCount(), 2);

    // A topic without children empties every later panel.
    p[0]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(Rows(p[1]), "");
    EXPECT_EQ(Rows(p[2]), "");
    EXPECT_EQ(p[1]->Nester->RootNest, 0u);
    EXPECT_EQ(p[2]->RowCount(), 1);  // the grid keeps its one empty row

    p[0]->SelectRow(0);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(Rows(p[1]), "b e");
    EXPECT_EQ(Rows(p[2]), "c d");

    p[1]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(2);
    EXPECT_EQ(Rows(p[1]), "b e");
    EXPECT_EQ(Rows(p[2]), "");
    p[1]->SelectRow(0);
    PanelsManager().RefreshPanelsFrom(2);
    EXPECT_EQ(Rows(p[2]), "c d");
}

TEST_F(Cascade, OnlyThePanelsOfTheLayoutAreRefreshed) {
    Open("a(b(c d) e) f");
    PanelCount = 2;
    p[0]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(Rows(p[1]), "");
    EXPECT_EQ(Rows(p[2]), "c d");  // panel 3 is not part of a two-panel layout
}

TEST_F(Cascade, ATopicStandingForAnExternalDatastructureLeavesTheNextPanelWithoutRows) {
    Open("a(b) x(y)");
    TNester& m = *p[0]->Nester;
    m.SetChildNest(1, -1);
    ASSERT_TRUE(m.SaveRowItem(1));
    ASSERT_TRUE(m.Cards().WriteRowCard(kCardExternal, 1, "||sub/Other Base.kiv"));

    p[0]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(p[1]->Nester->RowCount(), 0);
    EXPECT_EQ(int32_t(p[1]->Nester->RootNest), -1);
    EXPECT_EQ(p[1]->ExternalPath, p[1]->BaseFolder + "sub/Other Base.kiv");
    EXPECT_EQ(p[0]->ExternalPath, p[1]->ExternalPath);
    EXPECT_EQ(Rows(p[2]), "");
    EXPECT_TRUE(p[2]->ExternalPath.empty());

    // Row 0 of panel 2 carries the text "External database " and the file name; the
    // empty panel 3 draws nothing into the same place.
    auto inkIn = [](const QImage& img, const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (Pixel(img, x, y) != 0xFFFFFF) ++n;
        return n;
    };
    const QRect k = p[1]->CaptionRect(0).adjusted(30, 2, -5, -2);
    EXPECT_GT(inkIn(Shot(p[1]), k), 10);
    EXPECT_EQ(inkIn(Shot(p[2]), k), 0);

    // Its badge in panel 1 is red.
    const QRect badge = TKivStringGrid::BadgeRect(p[0]->RowContentRect(1));
    EXPECT_EQ(Pixel(Shot(p[0]), badge.x() + 3, badge.y() + 7), 0x0000FFu);

    // Back on an ordinary topic the external path is gone.
    p[0]->SelectRow(0);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(Rows(p[1]), "b");
    EXPECT_TRUE(p[1]->ExternalPath.empty());
}

TEST_F(Cascade, RefreshingStoresAPendingCaptionEditOfTheRefreshedPanel) {
    Open("a(b c) d");
    PanelsManager().SetEditMode(true);
    p[1]->CaptionEditor->SetText("b edited");
    p[1]->CaptionEditor->SetModified(true);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(Rows(p[1]), "b edited c");
    EXPECT_EQ(pair->Dump(), "a\n  b edited\n  c\nd\n");
}

// ---- the manager ----

class Manager : public PanelsFixture {};

TEST_F(Manager, PanelsRegisterAndLeaveWhenDestroyed) {
    TKivPanelsManager& m = PanelsManager();
    EXPECT_EQ(m.Count(), 3);
    EXPECT_EQ(m.PanelByNumber(2), p[1]);
    EXPECT_EQ(m.PanelByNumber(4), nullptr);
    delete p[2];
    p[2] = nullptr;
    EXPECT_EQ(m.Count(), 2);
    EXPECT_EQ(m.PanelByNumber(3), nullptr);
    PanelsManager().RefreshPanelsFrom(1);  // a missing panel is skipped
}

TEST_F(Manager, AFreshManagerStartsOverAndPanelsNeedOne) {
    CurrentPanel = 3;
    PanelCount = 1;
    window.reset();
    CreatePanelsManager();
    EXPECT_EQ(CurrentPanel, 1);
    EXPECT_EQ(PanelCount, 3);
    EXPECT_EQ(PanelsManager().Count(), 0);
    EXPECT_FALSE(PanelsManager().ClipBitmap.isNull());
    EXPECT_EQ(PanelsManager().CloneBitmap.size(), QSize(8, 8));
    EXPECT_EQ(PanelsManager().TextBitmap.size(), QSize(7, 10));
    EXPECT_EQ(PanelsManager().LinksBitmap.size(), QSize(16, 16));
    EXPECT_EQ(PanelsManager().ClipBitmap.size(), QSize(16, 16));
    EXPECT_TRUE(PanelsManager().ClipBitmap.hasAlpha());
    FreePanelsManager();
    EXPECT_FALSE(PanelsManagerExists());
    EXPECT_THROW(PanelsManager(), EKivError);
    EXPECT_THROW(TKivStringGrid grid, EKivError);
}

TEST_F(Manager, FileHandlesReachEveryModelAndTheCardStores) {
    Open("a(b) c");
    TKivPanelsManager& m = PanelsManager();
    for (auto* g : p) {
        EXPECT_EQ(g->Nester->NestFile(), pair->kiv.get());
        EXPECT_EQ(g->Nester->CardFile(), pair->dsc.get());
    }
    EXPECT_EQ(m.Cards.CardFile(), pair->dsc.get());
    EXPECT_EQ(m.DBCards.CardFile(), pair->dsc.get());
    m.SetNestFile(nullptr);
    m.SetCardFile(nullptr);
    for (auto* g : p) EXPECT_EQ(g->Nester->CardFile(), nullptr);
}

TEST_F(Manager, TheRealPathIsKeptAndTheUpperCasedCopyIsOnlyForComparing) {
    TKivPanelsManager& m = PanelsManager();
    m.SetDatastructurePath("/home/Ann/Notes/My.kiv");
    EXPECT_EQ(m.DatastructurePath, "/home/Ann/Notes/My.kiv");
    EXPECT_EQ(m.DatastructurePathUpper(), "/HOME/ANN/NOTES/MY.KIV");
}

TEST_F(Manager, SettingsOfAllPanels) {
    Open("a b");
    TKivPanelsManager& m = PanelsManager();
    int on = 0, off = 0;
    m.OnEditModeOn = [&](TKivPanelsManager*) { ++on; };
    m.OnEditModeOff = [&](TKivPanelsManager*) { ++off; };
    m.SetEditMode(true);
    EXPECT_TRUE(m.EditMode);
    // Panels without rows take the flag too; their editor stays out of sight.
    for (auto* g : p) EXPECT_TRUE(g->Editing());
    EXPECT_EQ(p[1]->CaptionEditor->height(), 0);
    m.SetEditMode(false);
    for (auto* g : p) EXPECT_FALSE(g->Editing());
    EXPECT_EQ(on, 1);
    EXPECT_EQ(off, 1);

    m.SetTreeMode(true);
    m.SetTextOnly(true);
    for (auto* g : p) {
        EXPECT_TRUE(g->TreeMode);
        EXPECT_TRUE(g->TextOnly());
    }
    m.SetExpandAll(true);
    for (auto* g : p) EXPECT_TRUE(g->GetExpandAll());
}

// ---- link classification ----

TEST(LinkClassification, WebAddressesAndPages) {
    struct Case {
        const char* text;
        bool url;
    } cases[] = {
        {"http://example.org", true},
        {"  HTTPS://x.y/z ", true},
        {"ftp:files.example.org", true},
        {"www.example.org", true},
        {"\twww.x", true},
        {"/srv/site/index.HTM", true},
        {"C:\\web\\page.html", true},
        {"notes.shtml", true},
        {"mailto:a@b.c", false},
        {"/home/a/notes.txt", false},
        {"wwwroot/file", false},
        {"", false},
        {"site.htm.bak", false},
        {"HTTP", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsURLText(c.text), c.url) << c.text;
}

TEST(LinkClassification, DocumentsAndPictures) {
    struct Case {
        const char* path;
        bool doc;
    } cases[] = {
        {"/a/report.pdf", true},
        {"C:\\x\\Letter.DOC", true},
        {"table.csv", true},
        {"p.jpeg", true},
        {"p.JpG", true},
        {"::{20D04FE0}", true},
        {"/a/b.docx", false},
        {"/a.pdf/readme", false},
        {"/a/b", false},
        {"archive.zip", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsDocumentFile(c.path), c.doc) << c.path;
}

TEST_F(Manager, TheTemporaryFolderIsThePrivateOne) {
    const std::string t = GetTempPathWithBackslash();
    EXPECT_EQ(t, TempDir());
    EXPECT_EQ(t.back(), '/');
    // The probe page for the web-page icon was removed again.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(t + "kiv_htm.htm")));
}

TEST_F(Manager, LinkIcons) {
    TKivPanelsManager& m = PanelsManager();
    const std::string file = env.Dir() + "notes.txt";
    { std::ofstream(file) << "x"; }
    const int i = m.LinkIconIndex(file);
    EXPECT_GE(i, 0);
    EXPECT_EQ(m.LinkIconIndex(file), i);  // one entry per type
    EXPECT_EQ(m.LinkIconIndex(env.Dir() + "missing.txt"), -1);
    EXPECT_EQ(m.LinkIconIndex(""), -1);
    EXPECT_GE(m.LinkIconIndex(env.Dir()), 0);  // a folder
    if (m.HtmIconIndex > 0) {
        EXPECT_EQ(m.LinkIconIndex("http://example.org"), m.HtmIconIndex);
        EXPECT_EQ(m.LinkIconIndex("WWW.example.org"), m.HtmIconIndex);
    } else {
        EXPECT_EQ(m.LinkIconIndex("http://example.org"), -1);
    }
    EXPECT_TRUE(m.SystemSmallIcon(-1).isNull());
    EXPECT_TRUE(m.SystemSmallIcon(m.SystemIconCount()).isNull());
}

TEST(LinkClassification, OpticalDiscs) {
    EXPECT_FALSE(IsOnOpticalDisc("relative/path"));
    EXPECT_FALSE(IsOnOpticalDisc(""));
    EXPECT_FALSE(IsOnOpticalDisc(TempDir()));
}

}  // namespace
}  // namespace kiv::paneltest
