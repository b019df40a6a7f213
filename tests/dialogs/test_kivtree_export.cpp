// kivtree export as a person runs it: the whole outline through the print window's
// generator to standard output, plain text or RTF, from an open pair or a closed file.
#include "engine/core/DatastructureFiles.h"
#include "platform/qt/EditorFile.h"
#include "platform/qt/RtfDocument.h"
#include "tests/ToolRun.h"
#include "tests/dialogs/OutlineFixture.h"

namespace kiv::test {
namespace {

struct ToolText {
    int status = -1;
    std::string out, err;
};

ToolText Kivtree(const QStringList& args) {
    const ToolRun r = RunTool(QStringLiteral("kivtree"), args);
    return {r.status, r.out.toStdString(), r.err.toStdString()};
}

class KivtreeExport : public OutlineFixture {
protected:
    void SetUp() override {
        Open("Garden(Shed(Roof) Beds) \"Caf\xC3\xA9\" Taxes");
        model.Expand(0);
        Card("Garden", kCardText,
             "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Dig \\b deep\\b0 .\\par}");
        Card("Shed", kCardLaunch, "http://example.org/shed\x01Plans\r\n");
        Card("Taxes", kCardCaption,
             std::string("\xFF\x00\x00\x00\x01\x01"
                         "Taxes",
                         11));
        kiv->Sync();
        dsc->Sync();
    }
    QString Path() const { return QString::fromStdString(path); }
};

TEST_F(KivtreeExport, WritesTheWholeOutlineAsThePrintWindowGeneratesIt) {
    struct Case {
        QStringList flags;
        TOutlineTextOptions options;
    };
    const Case cases[] = {
        {{}, {TOutlineScope::Outline}},
        {{"--numbers"}, {TOutlineScope::Outline, true}},
        {{"--cards", "--links"}, {TOutlineScope::Outline, false, true, false, true}},
        {{"--links", "--numbers", "--cards"}, {TOutlineScope::Outline, true, true, false, true}},
    };
    for (const Case& c : cases) {
        const ToolText r = Kivtree(QStringList{"export", Path()} + c.flags);
        ASSERT_EQ(r.status, 0) << r.err;
        BuildOutlineText(doc, c.options, model, cards);
        EXPECT_EQ(r.out, DocumentTextFile(doc)) << c.flags.join(' ').toStdString();
    }
    const ToolText r = Kivtree({"export", Path(), "--numbers"});
    EXPECT_EQ(r.out,
              "1. Garden\n\n1. Shed\n\n1. Roof\n\n2. Beds\n\n2. Caf\xC3\xA9\n\n3. Taxes\n\n");
}

TEST_F(KivtreeExport, RtfKeepsTheCardsFormattingAndReadsBackWithTheSameParagraphs) {
    const ToolText r = Kivtree({"export", Path(), "--rtf", "--cards"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.rfind("{\\rtf1", 0), 0u);
    BuildOutlineText(doc, {TOutlineScope::Outline, false, true, true, false}, model, cards);
    QTextDocument back;
    LoadRichText(back, r.out);
    EXPECT_EQ(Paragraphs(back), Paragraphs(doc));
    EXPECT_TRUE(Paragraphs(back).contains("Dig deep."));
}

TEST_F(KivtreeExport, AClosedDatastructureIsReadInPlaceAndLeftAsItIs) {
    const ToolText open = Kivtree({"export", Path(), "--cards"});
    kiv.reset();
    dsc.reset();
    PackDatastructure(path);
    const std::string joined = ReadWholeFile(path);
    const ToolText closed = Kivtree({"export", Path(), "--cards"});
    ASSERT_EQ(closed.status, 0) << closed.err;
    EXPECT_EQ(closed.out, open.out);
    EXPECT_EQ(ReadWholeFile(path), joined);
    EXPECT_FALSE(FileExists(CardFileName(path)));
}

TEST_F(KivtreeExport, WrongUseIsOneLineOnStandardError) {
    const ToolText bad = Kivtree({"export", Path(), "--pdf"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("kivtree: unknown option --pdf"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());
    const ToolText missing = Kivtree({"export", QString::fromStdString(env.Dir() + "none.kiv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.kiv"), std::string::npos) << missing.err;
    EXPECT_EQ(Kivtree({"export"}).status, 1);
    EXPECT_EQ(
        Kivtree({"export", Path(), "--cards", "--links", "--numbers", "--rtf", "--cards"}).status,
        1);
}

}  // namespace
}  // namespace kiv::test
