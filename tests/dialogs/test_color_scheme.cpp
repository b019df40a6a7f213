// The scheme editor over a store held in memory: loading, the settings grid's actions
// through its hand-pointer zone, the Apply gate, the save window's name rules, Delete.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <map>

#include "dialogs/ColorSchemeWindow.h"
#include "engine/panels/KivPanelsManager.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/TestHarness.h"

namespace kiv::test {
namespace {

TEST(SchemeTexts, FontRowNameRulesRowHeightsAndBorder) {
    EXPECT_EQ(SchemeFontText("Arial", 10, false), "Arial, Size:10");
    EXPECT_EQ(SchemeFontText("Arial", 10, true), "Arial,  Size: 10");
    const std::pair<const char*, bool> names[] = {{"default", false}, {" DEFAULT ", false},
                                                  {"Default", false}, {"", false},
                                                  {"   ", false},     {"  Green  ", true},
                                                  {"Defaults", true}};
    for (const auto& [n, ok] : names) EXPECT_EQ(SchemeNameAllowed(n), ok) << n;
    for (int lines : {1, 2, 3})
        for (int pitch : {13, 16, 22}) EXPECT_EQ(SchemeRowHeight(lines, pitch), lines * pitch + 8);

    TColorSchemeRec rec;
    rec.RowColor = 0x123456;
    rec.BorderColor = 0xCECECE;
    struct BorderCase {
        const char* shown;
        const char* next;
        TColor border;
    } cases[] = {{"yes", "no", 0x123456},
                 {"no", "yes", 0xCECECE},
                 {"", "yes", 0xCECECE},
                 {"Yes", "yes", 0xCECECE}};
    for (const BorderCase& c : cases) {
        rec.BorderColor = 0x777777;
        EXPECT_EQ(ToggleDescriptorBorder(c.shown, rec), c.next) << c.shown;
        EXPECT_EQ(rec.BorderColor, c.border) << c.shown;
    }
}

class SchemeEditor : public ::testing::Test {
protected:
    TestEnvironment env;
    std::vector<std::pair<QString, TColorSchemeRec>> store;
    std::vector<int> applied;
    std::unique_ptr<TfrmColorScheme> frm;

    void SetUp() override {
        CreatePanelsManager();
        TColorSchemeRec d;
        TColorSchemeRec dark = d;
        dark.RowColor = 0x202020;
        dark.BorderColor = 0x202020;
        dark.FontName = "Arial";
        dark.FontSize = 12;
        store = {{"Default", d}, {"Dark", dark}, {"Third", d}};
        frm = std::make_unique<TfrmColorScheme>();
        frm->SchemeNames = [this] {
            QStringList l;
            for (auto& s : store) l << s.first;
            return l;
        };
        frm->ReadScheme = [this](int n, TColorSchemeRec& r) {
            const int lines = r.RowLines;
            r = store[size_t(n)].second;
            r.RowLines = lines;
            return true;
        };
        frm->WriteScheme = [this](const QString& name, const TColorSchemeRec& r) {
            for (auto& s : store)
                if (s.first.compare(name, Qt::CaseInsensitive) == 0) s.second = r;
            return true;
        };
        frm->AddScheme = [this](const QString& name, const TColorSchemeRec& r) {
            store.emplace_back(name, r);
            return true;
        };
        frm->DeleteScheme = [this](int n) {
            store.erase(store.begin() + n);
            return true;
        };
        frm->ApplyScheme = [this](int n) { applied.push_back(n); };
        frm->CurrentSchemeIndex = [] { return 1; };
        frm->Init();
    }
    void TearDown() override {
        frm.reset();
        FreePanelsManager();
    }
    void Show() {
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    }
    // A click into the hand-pointer zone of a value cell, as the user opens its chooser.
    void ClickValue(int row, int fromRight = 6) {
        TSchemeSettingsGrid* g = frm->sgdSettings;
        const QRect r = g->CellRect(1, row);
        const QPoint at(r.right() + 1 - fromRight, r.center().y());
        QTest::mouseMove(g->viewport(), at);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    FakeDialogs& Dialogs() { return env.Dialogs(); }
};

TEST_F(SchemeEditor, LoadsTheAppliedSchemeIntoItsControls) {
    Show();
    EXPECT_EQ(frm->windowTitle(), "Customize Display Schemes");
    EXPECT_EQ(frm->cbxAvSchemes->currentIndex(), 1);
    EXPECT_EQ(frm->EditorSchemeName, "Dark");
    EXPECT_EQ(frm->EditorScheme.RowLines, 2);
    EXPECT_EQ(frm->sgdSettings->Cells(1, 1), "Arial, Size:12");
    EXPECT_EQ(frm->sgdSettings->Cells(1, 5), "no") << "the border is the background";
    EXPECT_EQ(frm->sgdSettings->Cells(0, 0), "Settings");
    EXPECT_EQ(frm->sgdSettings->Cells(1, 0), "Value");
    EXPECT_EQ(frm->sgdSettings->ColWidths(2), 0);
    EXPECT_EQ(frm->sgdTest->Color(), 0x202020);
    EXPECT_EQ(frm->sgdTest->DefaultRowHeight(),
              2 * MeasureSchemeLineHeight("Arial", 12, frm->sgdTest) + 8);
    EXPECT_TRUE(frm->btnDelete->isEnabled());
    EXPECT_TRUE(frm->btnApply->isEnabled());
    // Choosing a name in the combo loads it.
    frm->cbxAvSchemes->setCurrentIndex(0);
    emit frm->cbxAvSchemes->activated(0);
    EXPECT_EQ(frm->EditorSchemeName, "Default");
    EXPECT_FALSE(frm->btnDelete->isEnabled()) << "the first scheme cannot be deleted";
    EXPECT_EQ(frm->sgdSettings->Cells(1, 5), "yes");
    frm->btnDeleteClick();
    EXPECT_EQ(store.size(), 3u);
}

TEST_F(SchemeEditor, SettingsActOnlyInTheirZoneAndDisableApply) {
    Show();
    // Outside the zone nothing opens; the selection does not move onto the rows.
    const int row = frm->sgdSettings->Row(), col = frm->sgdSettings->Col();
    ClickValue(2, 60);
    EXPECT_TRUE(Dialogs().ColorRequests.empty());
    EXPECT_TRUE(frm->btnApply->isEnabled());
    EXPECT_EQ(frm->sgdSettings->Row(), row);
    EXPECT_EQ(frm->sgdSettings->Col(), col);

    // The hand shows over the zone only.
    QWidget* vp = frm->sgdSettings->viewport();
    const QRect cell = frm->sgdSettings->CellRect(1, 3);
    QTest::mouseMove(vp, QPoint(cell.right() - 5, cell.center().y()));
    EXPECT_EQ(vp->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(vp, QPoint(cell.right() - 40, cell.center().y()));
    EXPECT_EQ(vp->cursor().shape(), Qt::ArrowCursor);

    Dialogs().AnswerColor(TColor(0x445566));
    ClickValue(2);
    EXPECT_EQ(frm->sgdSettings->Row(), row);
    EXPECT_EQ(frm->sgdSettings->Col(), col);
    ASSERT_EQ(Dialogs().ColorRequests.size(), 1u);
    EXPECT_EQ(Dialogs().ColorRequests[0], 0x202020);
    EXPECT_EQ(frm->EditorScheme.RowColor, 0x445566);
    EXPECT_EQ(frm->EditorScheme.BorderColor, 0x445566) << "no border: it follows the background";
    EXPECT_EQ(frm->sgdTest->Color(), 0x445566);
    EXPECT_FALSE(frm->btnApply->isEnabled());

    Dialogs().AnswerFont(FontChoice{QStringLiteral("Arial"), 10, 0x0000FF, 0});
    ClickValue(1);
    EXPECT_EQ(frm->sgdSettings->Cells(1, 1), "Arial,  Size: 10");
    EXPECT_EQ(frm->EditorScheme.FontSize, 10);
    EXPECT_EQ(frm->EditorScheme.FontColor, 0x0000FF);

    ClickValue(5);
    EXPECT_EQ(frm->sgdSettings->Cells(1, 5), "yes");
    EXPECT_EQ(frm->EditorScheme.BorderColor, 0xCECECE);

    // Saved under its own name (any case): written, applied, Apply live again.
    frm->btnSaveAsClick();
    EXPECT_FALSE(frm->isEnabled());
    frm->frmSaveScheme->Edit1->setText(QStringLiteral("dark"));
    frm->frmSaveScheme->OKClick();
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(store[1].second.RowColor, 0x445566);
    EXPECT_TRUE(frm->btnApply->isEnabled());
}

TEST_F(SchemeEditor, TheSaveWindowRefusesTheReservedName) {
    Show();
    TfrmSaveScheme* s = frm->frmSaveScheme;
    frm->btnSaveAsClick();
    EXPECT_EQ(s->Edit1->text(), "Dark");
    for (const char* n : {"default", " DEFAULT "}) {
        s->Edit1->setText(n);
        EXPECT_FALSE(s->btnOK->isEnabled()) << n;
        s->OKClick();
        EXPECT_EQ(store.size(), 3u) << n;
    }
    s->Edit1->setText(QStringLiteral("  Green  "));
    EXPECT_TRUE(s->btnOK->isEnabled());
    s->OKClick();
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.back().first, "Green");
    EXPECT_EQ(frm->cbxAvSchemes->currentIndex(), 3);
    EXPECT_EQ(frm->EditorSchemeName, "Green");
    EXPECT_TRUE(s->isHidden());
}

}  // namespace
}  // namespace kiv::test

namespace kiv::test {
namespace {

// Widened and narrowed, the value column ends at the view's edge: each "set" glyph (16 in
// from the cell's right edge) stays in sight and nothing scrolls sideways.
TEST_F(SchemeEditor, TheSetGlyphsStayInSightAtEveryWidth) {
    Show();
    TSchemeSettingsGrid* g = frm->sgdSettings;
    const QSize first = frm->size();
    auto check = [&](const std::string& what) {
        QCoreApplication::processEvents();
        EXPECT_EQ(g->horizontalScrollBar()->maximum(), 0) << what;
        EXPECT_FALSE(g->horizontalScrollBar()->isVisible()) << what;
        const QRect view = g->viewport()->rect();
        for (int row = 1; row <= 5; ++row) {
            const QRect cell = g->CellRect(1, row);
            ASSERT_FALSE(cell.isEmpty()) << what << ", row " << row;
            const QRect glyph(QPoint(cell.left() + g->ColWidths(1) - 16, cell.top() + 4),
                              g->SetGlyph.size());
            EXPECT_TRUE(view.contains(glyph)) << what << ", row " << row << ": glyph at "
                                              << glyph.x() << ", view " << view.width();
        }
    };
    check("at the first show");
    const int tall = first.height() + 200;
    for (int w : {first.width() + 300, first.width() + 40, frm->minimumSizeHint().width(),
                  first.width() + 500, first.width()}) {
        frm->resize(w, tall);
        check("at width " + std::to_string(w));
    }
}

TEST_F(SchemeEditor, AWriteThatIsRefusedLeavesTheWindowAsItWas) {
    Show();
    frm->AddScheme = [](const QString&, const TColorSchemeRec&) { return false; };
    frm->DeleteScheme = [](int) { return false; };
    TfrmSaveScheme* s = frm->frmSaveScheme;
    frm->btnSaveAsClick();
    s->Edit1->setText(QStringLiteral("Green"));
    s->OKClick();
    EXPECT_EQ(frm->cbxAvSchemes->count(), 3);
    EXPECT_EQ(frm->cbxAvSchemes->currentIndex(), 1);
    EXPECT_FALSE(s->isHidden()) << "the name typed stays for another try";
    EXPECT_EQ(s->Edit1->text(), "Green");
    s->hide();
    frm->btnDeleteClick();
    EXPECT_EQ(frm->cbxAvSchemes->count(), 3);
    EXPECT_TRUE(applied.empty()) << "nothing deleted, nothing applied";
}

}  // namespace
}  // namespace kiv::test
