#include <gtest/gtest.h>

#include "dragdrop/core/DropSource.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/ShellFormats.h"
#include "dragdrop/core/TextFormats.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;
using kiv::test::ClassNames;
using kiv::test::MessageOf;

namespace {

// A source that only owns data formats, to build the source side of the lists.
class Source : public TCustomDropMultiSource {};

template <class D>
std::vector<std::string> TargetList() {
    D f;
    return ClassNames(f.CompatibleFormats());
}

template <class D>
std::vector<std::string> SourceList() {
    Source s;
    auto* f = new D(&s);
    return ClassNames(f->CompatibleFormats());
}

}  // namespace

TEST(FormatMap, TextFormatsInReadingOrder) {
    const std::vector<std::string> target = {
        "TUTF8TextClipboardFormat",     "TTextClipboardFormat",
        "TUnicodeTextClipboardFormat",  "TRFC822ClipboardFormat",
        "TFileContentsClipboardFormat", "TOEMTextClipboardFormat",
        "TRichTextMimeClipboardFormat", "TRichTextClipboardFormat",
        "THTMLMimeClipboardFormat",     "THTMLClipboardFormat",
        "TCSVMimeClipboardFormat",      "TCSVClipboardFormat"};
    EXPECT_EQ(TargetList<TTextDataFormat>(), target);
    std::vector<std::string> source = target;
    // The virtual file "Text scrap.txt" is offered, never read; the later registered first.
    source.insert(source.begin() + 4,
                  {"TFileGroupDescritorWClipboardFormat", "TFileGroupDescritorClipboardFormat"});
    EXPECT_EQ(SourceList<TTextDataFormat>(), source);
}

TEST(FormatMap, FileFormatsInReadingOrder) {
    const std::vector<std::string> files = {"TURIListClipboardFormat", "TFileClipboardFormat",
                                            "TPIDLClipboardFormat", "TFilenameWClipboardFormat",
                                            "TFilenameClipboardFormat"};
    EXPECT_EQ(TargetList<TFileDataFormat>(), files);
    EXPECT_EQ(SourceList<TFileDataFormat>(), files);
    EXPECT_EQ(TargetList<TFileMapDataFormat>(),
              (std::vector<std::string>{"TFilenameMapWClipboardFormat",
                                        "TFilenameMapClipboardFormat"}));
    EXPECT_EQ(TargetList<TFeedbackDataFormat>(),
              (std::vector<std::string>{
                  "TLogicalPerformedDropEffectClipboardFormat", "TTargetCLSIDClipboardFormat",
                  "TInShellDragLoopClipboardFormat", "TPasteSuccededClipboardFormat",
                  "TPerformedDropEffectClipboardFormat", "TPreferredDropEffectClipboardFormat"}));
    EXPECT_EQ(TargetList<TDataStreamDataFormat>(),
              (std::vector<std::string>{"TFileContentsStreamClipboardFormat"}));
    EXPECT_TRUE(SourceList<TDataStreamDataFormat>().empty());
    EXPECT_EQ(TargetList<TPIDLDataFormat>(),
              (std::vector<std::string>{"TPIDLClipboardFormat", "TURIListClipboardFormat",
                                        "TFileClipboardFormat"}));
}

TEST(FormatMap, URLAndPictureFormatsInReadingOrder) {
    const std::vector<std::string> both = {"TNetscapeURLClipboardFormat",
                                           "TMozURLClipboardFormat",
                                           "TNetscapeBookmarkClipboardFormat",
                                           "TNetscapeImageClipboardFormat",
                                           "TURLClipboardFormat",
                                           "TFileGroupDescritorClipboardFormat",
                                           "TFileContentsClipboardFormat",
                                           "TUTF8TextClipboardFormat",
                                           "TTextClipboardFormat"};
    // The link as an address for other programs is offered first, and never read.
    std::vector<std::string> source = both;
    source.insert(source.begin(), "TURLUriListClipboardFormat");
    EXPECT_EQ(SourceList<TURLDataFormat>(), source);
    std::vector<std::string> target = both;
    target.insert(target.end(),
                  {"TURIListClipboardFormat", "TFileClipboardFormat"});  // ".url" files, read only
    EXPECT_EQ(TargetList<TURLDataFormat>(), target);
    EXPECT_EQ(TargetList<THTMLDataFormat>(),
              (std::vector<std::string>{"THTMLMimeClipboardFormat", "THTMLClipboardFormat"}));
    EXPECT_EQ(TargetList<TBitmapDataFormat>(),
              (std::vector<std::string>{"TQtImageClipboardFormat", "TDIBClipboardFormat",
                                        "TPaletteClipboardFormat", "TBitmapClipboardFormat"}));
    EXPECT_EQ(TargetList<TMetaFileDataFormat>(),
              (std::vector<std::string>{"TEnhMetaFileClipboardFormat",
                                        "TMetaFileClipboardFormat"}));
    EXPECT_TRUE(SourceList<TMetaFileDataFormat>().empty());
}

TEST(FormatMap, ReRegisteringAPairMovesItAndMergesScopeAndDirection) {
    TDataFormatMap map;
    TDataFormatClasses classes;
    RegisterStandardFormats(map, classes);
    auto fileList = [&] {
        TClipboardFormats list(nullptr, true);
        map.BuildClipboardFormats(TFileDataFormat::StaticClass(), list, csTarget);
        std::vector<std::pair<std::string, TDataDirections>> out;
        for (auto* f : list.Items()) out.emplace_back(f->ClassType().name, f->Direction);
        return out;
    };
    const size_t entries = map.Entries().size();
    map.AddPair(TFileDataFormat::StaticClass(), TFilenameClipboardFormat::StaticClass(), 0,
                csTarget, ddWrite);
    EXPECT_EQ(map.Entries().size(), entries);
    EXPECT_EQ(fileList(), (std::vector<std::pair<std::string, TDataDirections>>{
                              {"TFilenameClipboardFormat", ddRead | ddWrite},
                              {"TURIListClipboardFormat", ddRead},
                              {"TFileClipboardFormat", ddRead},
                              {"TPIDLClipboardFormat", ddRead},
                              {"TFilenameWClipboardFormat", ddRead}}));
    // Behind every entry of lower priority, before those of equal and higher.
    map.AddPair(TFileDataFormat::StaticClass(), TFilenameClipboardFormat::StaticClass(), 1,
                csTarget, ddRead);
    EXPECT_EQ(fileList()[2].first, "TFilenameClipboardFormat");
    // Removing a clipboard class removes its pairs; removing a data class all of its own.
    map.RemoveClipboardFormatClass(
        TFileClipboardFormat::StaticClass());  // and the twin derived from it
    EXPECT_EQ(fileList().size(), 3u);
    for (const auto& e : map.Entries())
        EXPECT_FALSE(e.clipboardFormat->InheritsFrom(TFileClipboardFormat::StaticClass()));
    const size_t left = map.Entries().size();
    map.RemoveDataFormatClass(TFileDataFormat::StaticClass());
    EXPECT_TRUE(fileList().empty());
    EXPECT_EQ(map.Entries().size(), left - 3);
}

TEST(FormatMap, AFirstPairOfANewClassGoesLast) {
    TDataFormatMap map;
    map.AddPair(TTextDataFormat::StaticClass(), TCSVClipboardFormat::StaticClass(), 5, csSource,
                ddRead);
    map.AddPair(TFileDataFormat::StaticClass(), TFileClipboardFormat::StaticClass(), 0, csSource,
                ddRead);
    map.AddPair(TTextDataFormat::StaticClass(), TTextClipboardFormat::StaticClass(), 0, csSource,
                ddRead);
    ASSERT_EQ(map.Entries().size(), 3u);
    EXPECT_EQ(map.Entries()[0].clipboardFormat, &TTextClipboardFormat::StaticClass());
    EXPECT_EQ(map.Entries()[2].clipboardFormat, &TFileClipboardFormat::StaticClass());
}

TEST(DropEffects, ShiftStateTable) {
    struct Case {
        TShiftState shift;
        uint32_t allowed;
        bool fallBack;
        uint32_t effect;
    };
    const Case cases[] = {
        {0, 7, false, DROPEFFECT_MOVE},
        {ssShift, 7, false, DROPEFFECT_MOVE},
        {ssCtrl, 7, false, DROPEFFECT_COPY},
        {ssShift | ssCtrl, 7, false, DROPEFFECT_LINK},
        {ssAlt | ssLeft, 7, false, DROPEFFECT_MOVE},
        {ssShift, DROPEFFECT_COPY, true, DROPEFFECT_COPY},
        {ssShift, DROPEFFECT_COPY, false, DROPEFFECT_NONE},
        {ssShift | ssCtrl, DROPEFFECT_MOVE | DROPEFFECT_COPY, true, DROPEFFECT_COPY},
        {ssCtrl, DROPEFFECT_LINK, true, DROPEFFECT_LINK},
        {ssCtrl, 0, true, DROPEFFECT_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftStateToDropEffect(c.shift, c.allowed, c.fallBack), c.effect)
            << int(c.shift) << " " << c.allowed << " " << c.fallBack;
}

TEST(DropEffects, ResultsTypesAndKeys) {
    const std::pair<uint32_t, TDragResult> results[] = {
        {0, drCancel},   {1, drDropCopy}, {2, drDropMove},
        {4, drDropLink}, {3, drUnknown},  {DROPEFFECT_SCROLL, drUnknown}};
    for (auto [effect, result] : results)
        EXPECT_EQ(DropEffectToDragResult(effect), result) << effect;

    EXPECT_EQ(DragTypesToDropEffect(DragTypeBit(dtCopy) | DragTypeBit(dtLink)), 5u);
    EXPECT_EQ(DragTypesToDropEffect(0), 0u);
    TDragType t = dtLink;
    EXPECT_TRUE(DropEffectToDragType(7, t));
    EXPECT_EQ(t, dtCopy);
    EXPECT_TRUE(DropEffectToDragType(6, t));
    EXPECT_EQ(t, dtMove);
    EXPECT_FALSE(DropEffectToDragType(DROPEFFECT_SCROLL, t));

    EXPECT_EQ(KeyStateToShiftState(MK_ALT | MK_MBUTTON), TShiftState(ssAlt | ssMiddle));
    EXPECT_EQ(KeyStateToShiftState(MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_RBUTTON),
              TShiftState(ssShift | ssCtrl | ssLeft | ssRight));
}

TEST(FormatIds, PredefinedAndOnePerName) {
    const std::pair<uint16_t, uint16_t> predefined[] = {
        {TTextClipboardFormat().ClipboardFormat(), 1},
        {TOEMTextClipboardFormat().ClipboardFormat(), 7},
        {TUnicodeTextClipboardFormat().ClipboardFormat(), 13},
        {TFileClipboardFormat().ClipboardFormat(), 15}};
    for (auto [got, want] : predefined) EXPECT_EQ(got, want);
    EXPECT_EQ(CF_BITMAP, 2);
    EXPECT_EQ(CF_METAFILEPICT, 3);
    EXPECT_EQ(CF_DIB, 8);
    EXPECT_EQ(CF_PALETTE, 9);
    EXPECT_EQ(CF_ENHMETAFILE, 14);

    const uint16_t id = TRichTextClipboardFormat().ClipboardFormat();
    EXPECT_GE(id, 0xC000);
    EXPECT_EQ(RegisterClipboardFormat("rich text format"), id);
    EXPECT_EQ(ClipboardFormatNameOf(id), "Rich Text Format");
    EXPECT_EQ(TRichTextClipboardFormat().GetClipboardFormatName(), "Rich Text Format");
    EXPECT_NE(RegisterClipboardFormat("FileNameW"), RegisterClipboardFormat("FileName"));
    EXPECT_EQ(ClipboardFormatNameOf(CF_TEXT), "");
    EXPECT_EQ(RegisterClipboardFormat(""), 0);
}

namespace {

class NoId : public TClipboardFormat {
    KIV_DD_CLASS(NoId, TClipboardFormat)
public:
    void Clear() override {}
};

}  // namespace

TEST(FormatErrors, Texts) {
    EXPECT_EQ(MessageOf([] { NoId().ClipboardFormat(); }),
              "Internal error: NoId.GetClipboardFormat needs implementation");
    EXPECT_EQ(MessageOf([] { TTextClipboardFormat().SetClipboardFormatName("x"); }),
              "TTextClipboardFormat.ClipboardFormat is read-only");
    EXPECT_EQ(MessageOf([] {
                  TComponent plain;
                  TTextDataFormat f(&plain);
              }),
              "TComponent is not a valid owner for TTextDataFormat. Owner must be derived from "
              "TCustomDropMultiSource or TCustomDropMultiTarget");
    EXPECT_EQ(MessageOf([] { TRawClipboardFormat(); }),
              "The TRawClipboardFormat class can not be instantiated with the default constructor");
}

TEST(ClipboardFormats, AcceptMatchingDescriptionsWhateverTheIndex) {
    TTextClipboardFormat f;
    TFormatEtc offered{CF_TEXT, DVASPECT_CONTENT, 5, TYMED_ISTREAM};
    EXPECT_TRUE(f.AcceptFormat(offered));
    offered.tymed = TYMED_GDI;
    EXPECT_FALSE(f.AcceptFormat(offered));
    offered = {CF_TEXT, 4, -1, TYMED_HGLOBAL};
    EXPECT_FALSE(f.AcceptFormat(offered));
    TRawClipboardFormat raw(TFormatEtc{0, 1, -1, TYMED_HGLOBAL});
    raw.SetClipboardFormatName("Some Private Format");
    EXPECT_EQ(raw.ClipboardFormat(), RegisterClipboardFormat("some private format"));
}
