// The program's formats and their pairs, in the order of registration that fixes the
// order in which targets read and sources offer. A Linux twin is registered right after
// its Windows format at the same priority, so that it comes first.
#include "dragdrop/core/FeedbackFormats.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/Formats.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/ShellFormats.h"
#include "dragdrop/core/TextFormats.h"

namespace kiv {

namespace {

struct Registrar {
    TDataFormatMap& map;
    TDataFormatClasses& classes;

    template <class D, class C>
    void Pair(int32_t priority, TConversionScopes scope = csSource | csTarget,
              TDataDirections dir = ddRead) {
        map.AddPair(D::StaticClass(), C::StaticClass(), priority, scope, dir);
    }
    template <class D, class C, class Twin>
    void PairWithTwin(int32_t priority, TConversionScopes scope = csSource | csTarget) {
        Pair<D, C>(priority, scope);
        Pair<D, Twin>(priority, scope);
    }
    template <class... D>
    void Classes() {
        (classes.Add(D::StaticClass()), ...);
    }
};

// Text, file contents and the feedback values.
void RegisterTextContentsFeedback(Registrar& r) {
    r.Classes<TTextDataFormat, TDataStreamDataFormat, TVirtualFileStreamDataFormat,
              TFeedbackDataFormat>();
    r.PairWithTwin<TTextDataFormat, TTextClipboardFormat, TUTF8TextClipboardFormat>(0);
    r.Pair<TTextDataFormat, TFileContentsClipboardFormat>(1);
    r.Pair<TTextDataFormat, TFileGroupDescritorClipboardFormat>(1, csSource);
    r.Pair<TTextDataFormat, TFileGroupDescritorWClipboardFormat>(1, csSource);
    r.Pair<TFeedbackDataFormat, TPreferredDropEffectClipboardFormat>(0);
    r.Pair<TFeedbackDataFormat, TPerformedDropEffectClipboardFormat>(0, csSource | csTarget,
                                                                     ddWrite);
    r.Pair<TFeedbackDataFormat, TPasteSuccededClipboardFormat>(0, csSource | csTarget, ddWrite);
    r.Pair<TFeedbackDataFormat, TInShellDragLoopClipboardFormat>(0);
    r.Pair<TFeedbackDataFormat, TTargetCLSIDClipboardFormat>(0, csSource | csTarget, ddWrite);
    r.Pair<TFeedbackDataFormat, TLogicalPerformedDropEffectClipboardFormat>(0, csSource | csTarget,
                                                                            ddWrite);
    r.Pair<TDataStreamDataFormat, TFileContentsStreamClipboardFormat>(0, csTarget);
}

void RegisterShellItems(Registrar& r) {
    r.Classes<TPIDLDataFormat>();
    r.Pair<TPIDLDataFormat, TPIDLClipboardFormat>(0);
    r.PairWithTwin<TPIDLDataFormat, TFileClipboardFormat, TURIListClipboardFormat>(1);
}

void RegisterFiles(Registrar& r) {
    r.Classes<TFileDataFormat, TFileMapDataFormat>();
    r.PairWithTwin<TFileDataFormat, TFileClipboardFormat, TURIListClipboardFormat>(0);
    r.Pair<TFileDataFormat, TPIDLClipboardFormat>(1);
    r.Pair<TFileDataFormat, TFilenameClipboardFormat>(2);
    r.Pair<TFileDataFormat, TFilenameWClipboardFormat>(2);
    r.Pair<TFileMapDataFormat, TFilenameMapClipboardFormat>(0);
    r.Pair<TFileMapDataFormat, TFilenameMapWClipboardFormat>(0);
}

void RegisterInternet(Registrar& r) {
    r.Classes<TURLDataFormat, THTMLDataFormat>();
    r.Pair<TURLDataFormat, TNetscapeBookmarkClipboardFormat>(0);
    r.Pair<TURLDataFormat, TMozURLClipboardFormat>(0);
    r.Pair<TURLDataFormat, TNetscapeURLClipboardFormat>(0);
    // Offered first, so that targets taking links as addresses find it.
    r.Pair<TURLDataFormat, TURLUriListClipboardFormat>(0, csSource);
    r.Pair<TURLDataFormat, TNetscapeImageClipboardFormat>(1);
    r.Pair<TURLDataFormat, TFileContentsClipboardFormat>(2);
    r.Pair<TURLDataFormat, TFileGroupDescritorClipboardFormat>(2);
    r.Pair<TURLDataFormat, TURLClipboardFormat>(2);
    r.PairWithTwin<TURLDataFormat, TTextClipboardFormat, TUTF8TextClipboardFormat>(3);
    r.PairWithTwin<TURLDataFormat, TFileClipboardFormat, TURIListClipboardFormat>(4, csTarget);
    r.PairWithTwin<THTMLDataFormat, THTMLClipboardFormat, THTMLMimeClipboardFormat>(0);
    r.Pair<TTextDataFormat, TRFC822ClipboardFormat>(1);
    r.PairWithTwin<TTextDataFormat, THTMLClipboardFormat, THTMLMimeClipboardFormat>(2);
}

void RegisterGraphics(Registrar& r) {
    r.Classes<TBitmapDataFormat, TMetaFileDataFormat>();
    r.PairWithTwin<TBitmapDataFormat, TDIBClipboardFormat, TQtImageClipboardFormat>(0);
    r.Pair<TBitmapDataFormat, TBitmapClipboardFormat>(1);
    r.Pair<TBitmapDataFormat, TPaletteClipboardFormat>(1);
    r.Pair<TMetaFileDataFormat, TEnhMetaFileClipboardFormat>(0, csTarget);
    r.Pair<TMetaFileDataFormat, TMetaFileClipboardFormat>(1, csTarget);
}

void RegisterTextForms(Registrar& r) {
    r.Pair<TTextDataFormat, TUnicodeTextClipboardFormat>(1);
    r.PairWithTwin<TTextDataFormat, TRichTextClipboardFormat, TRichTextMimeClipboardFormat>(2);
    r.Pair<TTextDataFormat, TOEMTextClipboardFormat>(2);
    r.PairWithTwin<TTextDataFormat, TCSVClipboardFormat, TCSVMimeClipboardFormat>(3);
}

}  // namespace

void RegisterStandardFormats(TDataFormatMap& map, TDataFormatClasses& classes) {
    Registrar r{map, classes};
    RegisterTextContentsFeedback(r);
    RegisterShellItems(r);
    RegisterFiles(r);
    RegisterInternet(r);
    RegisterGraphics(r);
    RegisterTextForms(r);
}

}  // namespace kiv
