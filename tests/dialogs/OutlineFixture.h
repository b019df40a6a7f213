#pragma once
// An open datastructure pair built from a tree text in the test's own program folder, an
// outline model over its top level (the "panel"), the card store, and the paragraphs and
// looks of a generated document.
#include <gtest/gtest.h>

#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>
#include <string>
#include <string_view>

#include "dialogs/OutlineText.h"
#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"

namespace kiv::test {

// One paragraph's look: its text's first character format and its first-line indent.
struct Look {
    QColor color;
    qreal points = 0;
    bool bold = false, italic = false, underline = false;
    qreal indent = 0;
    bool operator==(const Look&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Look& l) {
    return os << l.color.name().toStdString() << " " << l.points << "pt" << (l.bold ? " bold" : "")
              << (l.italic ? " italic" : "") << (l.underline ? " underline" : "") << " indent "
              << l.indent;
}

inline Look LookOf(const QTextBlock& b) {
    QTextCharFormat f = b.charFormat();
    if (QTextBlock::iterator it = b.begin(); !it.atEnd()) f = it.fragment().charFormat();
    return {f.foreground().color(), f.fontPointSize(), f.fontWeight() >= QFont::DemiBold,
            f.fontItalic(),         f.fontUnderline(), FirstLineIndent(b)};
}

// The paragraphs as the editor's line list gives them: the last, open paragraph after the
// final line end is not one.
inline QStringList Paragraphs(const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) out << b.text();
    if (!out.isEmpty() && out.back().isEmpty()) out.pop_back();
    return out;
}

class OutlineFixture : public ::testing::Test {
protected:
    void Open(std::string_view tree) {
        path = env.Dir() + "outline.kiv";
        MakeTreePair(path, tree);
        kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
        dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite, true);
        model.SetNestFile(kiv.get());
        model.SetCardFile(dsc.get());
        model.RootNest = ReadRootNest(kiv.get());
        model.LoadBranch(-1, false);
        cards.SetCardFile(dsc.get());
    }

    // Outline panel 1 over the open pair's top level, the panels manager (made by the
    // caller) pointed at the pair too.
    std::unique_ptr<TKivStringGrid> MakeFirstPanel() {
        PanelsManager().SetNestFile(kiv.get());
        PanelsManager().SetCardFile(dsc.get());
        auto grid = std::make_unique<TKivStringGrid>();
        grid->Tag = 1;
        grid->Nester->SetNestFile(kiv.get());
        grid->Nester->SetCardFile(dsc.get());
        grid->Nester->RootNest = ReadRootNest(kiv.get());
        grid->Nester->LoadBranch(-1, false);
        grid->SetRowCount(grid->Nester->RowCount());
        return grid;
    }

    // The row of a caption in the model.
    int Row(const std::string& caption) const {
        for (int r = 0; r < model.RowCount(); ++r)
            if (model.Caption(r) == caption) return r;
        ADD_FAILURE() << "no row " << caption;
        return -1;
    }

    void Card(const std::string& caption, uint8_t kind, std::string_view text) {
        ASSERT_TRUE(model.Cards().WriteRowCard(kind, Row(caption), text));
    }

    QStringList Generate(const TOutlineTextOptions& o) {
        BuildOutlineText(doc, o, model, cards);
        return Paragraphs(doc);
    }

    Look At(int paragraph) const { return LookOf(doc.findBlockByNumber(paragraph)); }

    TestEnvironment env;
    std::string path;
    std::unique_ptr<PosixBlockFile> kiv, dsc;
    TNester model;
    TCards cards;
    QTextDocument doc;
};

}  // namespace kiv::test
