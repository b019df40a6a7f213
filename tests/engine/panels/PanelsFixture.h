#pragma once
// Three outline panels side by side in a shown window over a datastructure pair built from
// a tree text, with a fresh panels manager and a colour scheme whose colours are all
// different, so that a sampled pixel tells which rule painted it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QtTest>
#include <memory>
#include <string>

#include "engine/core/NestFunctions.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/qt/TestHarness.h"
#include "tests/engine/core/TreeFixture.h"

namespace kiv::paneltest {

constexpr TColor kRowColor = 0xD0E0F0;
constexpr TColor kSelRowColor = 0x80C080;
constexpr TColor kFocSelRowColor = 0xC08080;
constexpr TColor kBorderColor = 0x404040;
constexpr TColor kFocBorderColor = 0x00A000;

class PanelsFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 400;

    void SetUp() override {
        ColorScheme = TColorSchemeRec{};
        ColorScheme.RowColor = kRowColor;
        ColorScheme.SelRowColor = kSelRowColor;
        ColorScheme.FocSelRowColor = kFocSelRowColor;
        ColorScheme.BorderColor = kBorderColor;
        ColorScheme.FocBorderColor = kFocBorderColor;
        ColorScheme.FontName = "DejaVu Sans";  // installed with the program's dependencies
        ColorScheme.FontSize = 10;
        CreatePanelsManager();
        window = std::make_unique<QWidget>();
        window->resize(3 * kWidth, kHeight + 30);
        static const char* const names[] = {"sgdFirst", "sgdSecond", "sgdThird"};
        for (int i = 0; i < 3; ++i) {
            auto* g = new TKivStringGrid(window.get());
            g->Tag = i + 1;
            g->setObjectName(names[i]);
            g->SetBorderStyle(TCustomGrid::bsNone);
            g->SetScrollBars(TCustomGrid::ssNone);
            g->setGeometry(i * kWidth, 0, kWidth, kHeight);
            g->SetDefaultColWidth(kWidth);
            p[i] = g;
        }
        other = new QLineEdit(window.get());
        other->setGeometry(0, kHeight + 2, 100, 24);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        for (auto* g : p) g->UpdateRowHeights(0);
    }

    void TearDown() override {
        TKivStringGrid::SetDragStarter(nullptr);
        window.reset();
        pair.reset();
        FreePanelsManager();
    }

    // Builds the pair, hands it to the manager, fills panel 1 and cascades.
    void Open(std::string_view tree) {
        pair = std::make_unique<test::TreePair>(tree);
        Attach();
    }

    void Attach() {
        TKivPanelsManager& m = PanelsManager();
        m.SetNestFile(pair->kiv.get());
        m.SetCardFile(pair->dsc.get());
        m.SetDatastructurePath(pair->Path());
        Reload();
    }

    void Reload() {
        TKivStringGrid* g = p[0];
        g->Nester->RootNest = ReadRootNest(pair->kiv.get());
        g->Nester->LoadBranch(-1, false);
        g->SetRowCount(g->Nester->RowCount());
        g->UpdateRowHeights(0);
        g->SelectRow(0);
        PanelsManager().RefreshPanelsFrom(1);
    }

    void Activate(TKivStringGrid* g) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        g->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        ASSERT_TRUE(g->hasFocus());
    }

    // The captions of a panel's rows, separated by blanks.
    static std::string Rows(const TKivStringGrid* g) {
        std::string s;
        for (int r = 0; r < g->Nester->RowCount(); ++r) {
            if (!s.empty()) s += ' ';
            s += g->Nester->Caption(r);
        }
        return s;
    }

    static QImage Shot(TKivStringGrid* g) { return g->viewport()->grab().toImage(); }
    static TColor Pixel(const QImage& img, int x, int y) {
        return fromQColor(QColor(img.pixel(x, y))) & 0xFFFFFF;
    }
    // Right and bottom as the drawing rules count them (exclusive).
    static int Right(const QRect& r) { return r.x() + r.width(); }
    static int Bottom(const QRect& r) { return r.y() + r.height(); }

    TestEnvironment env;
    std::unique_ptr<test::TreePair> pair;
    std::unique_ptr<QWidget> window;
    TKivStringGrid* p[3] = {};
    QLineEdit* other = nullptr;
};

}  // namespace kiv::paneltest
