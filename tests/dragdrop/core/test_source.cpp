#include <gtest/gtest.h>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/DropSource.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/TextFormats.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;

namespace {

class Source : public TCustomDropMultiSource {
public:
    Source() { text = new TTextDataFormat(this); }
    TTextDataFormat* text;
};

uint16_t Id(const char* name) { return RegisterClipboardFormat(name); }

TFormatEtc Fmt(uint16_t id, int32_t lindex = -1) {
    return TFormatEtc{id, DVASPECT_CONTENT, lindex, TYMED_HGLOBAL};
}

void WriteDWord(IDataObject& data, const char* name, uint32_t value) {
    TStgMedium m{TYMED_HGLOBAL, ClipCodec::DWordBytes(value)};
    ASSERT_EQ(data.SetData(Fmt(Id(name)), m, true), S_OK) << name;
}

uint32_t ReadDWord(IDataObject& data, const char* name) {
    TStgMedium m;
    uint32_t v = 0xDEAD;
    if (data.GetData(Fmt(Id(name)), m) == S_OK) ClipCodec::ReadDWord(m.data, v);
    return v;
}

// A drag loop whose target does what a test says.
struct FakeLoop : IDragLoop {
    HRESULT hr = DRAGDROP_S_DROP;
    uint32_t effect = DROPEFFECT_COPY;
    std::function<void(IDataObject&, IDropSource&)> target;
    uint32_t allowedSeen = 0;
    bool imageSeen = false;
    HRESULT DoDragDrop(const TDataObjectRef& data, IDropSource& source, uint32_t allowed,
                       uint32_t& out, const TDragImage* image) override {
        allowedSeen = allowed;
        imageSeen = image != nullptr;
        if (target) target(*data->object, source);
        out = effect;
        return hr;
    }
};

struct FakeClipboard : IClipboardPort {
    TDataObjectRef current;
    int flushes = 0;
    HRESULT SetClipboard(const TDataObjectRef& data) override {
        current = data;
        return S_OK;
    }
    bool IsCurrentClipboard(const IDataObject* data) override {
        return current && current->object == data;
    }
    HRESULT FlushClipboard() override {
        ++flushes;
        current.reset();
        return S_OK;
    }
    std::unique_ptr<IDataObject> GetClipboard() override { return nullptr; }
};

}  // namespace

TEST(Execute, ResultsFromTheLoopAndTheTargetsFeedback) {
    struct Case {
        const char* what;
        TDragTypes types;
        HRESULT hr;
        uint32_t effect;
        int64_t performed;  // written by the target; -1: nothing written
        int64_t logical;
        TDragResult result;
        bool optimized;
    };
    const TDragTypes copyMove = DragTypeBit(dtCopy) | DragTypeBit(dtMove);
    const Case cases[] = {
        {"copy", copyMove, DRAGDROP_S_DROP, DROPEFFECT_COPY, -1, -1, drDropCopy, false},
        {"plain move", copyMove, DRAGDROP_S_DROP, DROPEFFECT_MOVE, DROPEFFECT_MOVE, -1, drDropMove,
         false},
        {"move the target did itself", copyMove, DRAGDROP_S_DROP, DROPEFFECT_NONE, DROPEFFECT_MOVE,
         -1, drDropMove, true},
        {"logical move", copyMove, DRAGDROP_S_DROP, DROPEFFECT_COPY, -1, DROPEFFECT_MOVE,
         drDropMove, true},
        {"effect outside the allowed", DragTypeBit(dtCopy), DRAGDROP_S_DROP, DROPEFFECT_LINK, -1,
         -1, drCancel, false},
        {"two effects", copyMove, DRAGDROP_S_DROP, DROPEFFECT_COPY | DROPEFFECT_MOVE, -1, -1,
         drUnknown, false},
        {"cancel", copyMove, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, -1, -1, drCancel, false},
        {"out of memory", copyMove, E_OUTOFMEMORY, DROPEFFECT_NONE, -1, -1, drOutMemory, false},
        {"other failure", copyMove, E_FAIL, DROPEFFECT_NONE, -1, -1, drUnknown, false},
    };
    for (const auto& c : cases) {
        Source s;
        s.text->SetText("x");
        s.DragTypes = c.types;
        FakeLoop loop;
        loop.hr = c.hr;
        loop.effect = c.effect;
        uint32_t performedInside = 0;
        loop.target = [&](IDataObject& data, IDropSource&) {
            performedInside = ReadDWord(data, "Performed DropEffect");
            if (c.performed >= 0) WriteDWord(data, "Performed DropEffect", uint32_t(c.performed));
            if (c.logical >= 0)
                WriteDWord(data, "Logical Performed DropEffect", uint32_t(c.logical));
        };
        s.DragLoop = &loop;
        std::vector<std::pair<TDragResult, bool>> after;
        s.OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool optimized) {
            after.emplace_back(r, optimized);
        };
        EXPECT_EQ(s.Execute(), c.result) << c.what;
        EXPECT_EQ(loop.allowedSeen, DragTypesToDropEffect(c.types)) << c.what;
        EXPECT_EQ(performedInside, 0xFFFFFFFFu) << c.what << ": no target has reported yet";
        EXPECT_EQ(s.GetPerformedDropEffect(), c.performed < 0 ? 0u : uint32_t(c.performed))
            << c.what;
        ASSERT_EQ(after.size(), 1u) << c.what;
        EXPECT_EQ(after[0], std::make_pair(c.result, c.optimized)) << c.what;
        EXPECT_FALSE(s.GetInShellDragLoop()) << c.what;
    }
}

TEST(Execute, TheLoopAsksTheSourceOnRelease) {
    struct Case {
        const char* what;
        bool escape;
        uint32_t keys;
        uint32_t feedback;
        bool veto;
        HRESULT answer;
    };
    const Case cases[] = {
        {"escape", true, 0, DROPEFFECT_COPY, false, DRAGDROP_S_CANCEL},
        {"button still down", false, MK_LBUTTON, DROPEFFECT_COPY, false, S_OK},
        {"right button still down", false, MK_RBUTTON, DROPEFFECT_COPY, false, S_OK},
        {"released over a copy", false, 0, DROPEFFECT_COPY, false, DRAGDROP_S_DROP},
        {"released over a move the source does not allow", false, 0, DROPEFFECT_MOVE, false,
         DRAGDROP_S_CANCEL},
        {"released over nothing", false, 0, DROPEFFECT_NONE, false, DRAGDROP_S_CANCEL},
        {"vetoed by OnDrop", false, 0, DROPEFFECT_COPY, true, DRAGDROP_S_CANCEL},
    };
    for (const auto& c : cases) {
        Source s;
        s.text->SetText("x");
        std::vector<TDragType> drops;
        s.OnDrop = [&](TCustomDropSource*, TDragType t, bool& go) {
            drops.push_back(t);
            if (c.veto) go = false;
        };
        bool defaultCursors = false;
        s.OnFeedback = [&](TCustomDropSource*, uint32_t, bool& useDefault) {
            defaultCursors = useDefault;
        };
        EXPECT_EQ(s.GiveFeedback(c.feedback), DRAGDROP_S_USEDEFAULTCURSORS);
        EXPECT_TRUE(defaultCursors);
        s.SetInShellDragLoop(true);
        EXPECT_EQ(s.QueryContinueDrag(c.escape, c.keys), c.answer) << c.what;
        const bool released = !c.escape && !(c.keys & (MK_LBUTTON | MK_RBUTTON));
        EXPECT_EQ(s.GetInShellDragLoop(), !released) << c.what;
        EXPECT_EQ(drops.size(), size_t(c.answer == DRAGDROP_S_DROP || c.veto)) << c.what;
    }
    Source s;
    s.OnFeedback = [](TCustomDropSource*, uint32_t, bool& useDefault) { useDefault = false; };
    EXPECT_EQ(s.GiveFeedback(DROPEFFECT_COPY), S_OK);
}

TEST(DataObject, AnswersForRegisteredFormatsEvenWhenEmpty) {
    Source s;
    EXPECT_EQ(s.QueryGetData(Fmt(CF_TEXT)), S_OK);
    TStgMedium m;
    EXPECT_EQ(s.GetData(Fmt(CF_TEXT), m), DV_E_FORMATETC);
    EXPECT_EQ(s.QueryGetData(Fmt(CF_HDROP)), DV_E_FORMATETC);
    EXPECT_EQ(s.GetData(Fmt(CF_HDROP), m), DV_E_FORMATETC);
    EXPECT_EQ(s.GetDataHere(Fmt(CF_TEXT), m), E_NOTIMPL);
    TFormatEtc out;
    EXPECT_EQ(s.GetCanonicalFormatEtc(Fmt(CF_TEXT), out), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(s.DAdvise(), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(s.EnumDAdvise(), OLE_E_ADVISENOTSUPPORTED);
    std::unique_ptr<IEnumFormatEtc> e;
    EXPECT_EQ(s.EnumFormatEtc(3, e), E_NOTIMPL);
    // OnGetData answers first.
    s.OnGetData = [](TCustomDropSource*, const TFormatEtc& f, TStgMedium& medium, bool& handled) {
        if (f.cfFormat != CF_HDROP) return;
        medium = {TYMED_HGLOBAL, "mine"};
        handled = true;
    };
    ASSERT_EQ(s.GetData(Fmt(CF_HDROP), m), S_OK);
    EXPECT_EQ(m.data, "mine");
}

TEST(DataObject, AnUnknownFormatWrittenTwiceKeepsTheLatestBytes) {
    Source s;
    const TFormatEtc f = Fmt(Id("Some Target Format"));
    TStgMedium first{TYMED_HGLOBAL, "first"}, second{TYMED_HGLOBAL, "second"};
    ASSERT_EQ(s.SetData(f, first, true), S_OK);
    EXPECT_EQ(first.tymed, TYMED_NULL);  // released
    ASSERT_EQ(s.SetData(f, second, true), S_OK);
    for (int read = 0; read < 2; ++read) {
        TStgMedium m;
        ASSERT_EQ(s.GetData(f, m), S_OK);
        EXPECT_EQ(m.data, "second");
    }
    EXPECT_EQ(s.RawDataFormat().CompatibleFormats().Count(), 1u);
    TStgMedium gdi{TYMED_GDI, "x"};
    EXPECT_EQ(s.SetData(Fmt(Id("Other")), gdi, true), E_NOTIMPL);
}

TEST(DataObject, PasteSucceededReportsThePaste) {
    struct Case {
        uint32_t performed, pasted;
        TDragResult action;
        bool deleteOnPaste;
    };
    const Case cases[] = {
        {DROPEFFECT_MOVE, DROPEFFECT_MOVE, drDropMove, true},
        {DROPEFFECT_COPY, DROPEFFECT_MOVE, drDropMove, false},
        {DROPEFFECT_MOVE, DROPEFFECT_COPY, drDropCopy, false},
    };
    for (const auto& c : cases) {
        Source s;
        std::vector<std::pair<TDragResult, bool>> pastes;
        s.OnPaste = [&](TCustomDropSource*, TDragResult a, bool del) {
            pastes.emplace_back(a, del);
        };
        WriteDWord(s, "Performed DropEffect", c.performed);
        WriteDWord(s, "Paste Succeeded", c.pasted);
        ASSERT_EQ(pastes.size(), 1u);
        EXPECT_EQ(pastes[0], std::make_pair(c.action, c.deleteOnPaste));
    }
}

TEST(Enumerator, NextSkipResetClone) {
    Source s;
    new TFileDataFormat(&s);
    std::unique_ptr<IEnumFormatEtc> e;
    ASSERT_EQ(s.EnumFormatEtc(DATADIR_GET, e), S_OK);
    std::vector<TFormatEtc> got;
    uint32_t fetched = 0;
    // Readable formats: feedback (Preferred, InShellDragLoop), then the text's and the files'.
    ASSERT_EQ(e->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, Id("InShellDragLoop"));
    EXPECT_EQ(got[1].cfFormat, Id("Preferred DropEffect"));
    ASSERT_EQ(e->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, Id("text/plain;charset=utf-8"));
    std::unique_ptr<IEnumFormatEtc> clone;
    ASSERT_EQ(e->Clone(clone), S_OK);
    EXPECT_EQ(e->Skip(14), S_OK);  // the text's other 13 forms, and the uri list
    ASSERT_EQ(e->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
    EXPECT_EQ(e->Next(5, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u);  // Shell IDList Array, FileNameW, FileName
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);  // the clone kept its own place
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
    EXPECT_EQ(clone->Skip(100), S_FALSE);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_FALSE);
    clone->Reset();
    ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, Id("InShellDragLoop"));

    ASSERT_EQ(s.EnumFormatEtc(DATADIR_SET, e), S_OK);
    std::vector<uint16_t> writable;
    while (e->Next(1, got, nullptr) == S_OK) writable.push_back(got[0].cfFormat);
    EXPECT_EQ(writable,
              (std::vector<uint16_t>{Id("Logical Performed DropEffect"), Id("TargetCLSID"),
                                     Id("Paste Succeeded"), Id("Performed DropEffect")}));
}

TEST(Clipboard, PutFlushEmpty) {
    FakeClipboard board;
    auto s = std::make_unique<Source>();
    s->Clipboard = &board;
    s->text->SetText("a");
    EXPECT_EQ(board.flushes, 0);
    ASSERT_TRUE(s->CopyToClipboard());
    EXPECT_EQ(s->GetPreferredDropEffect(), DROPEFFECT_COPY);
    EXPECT_TRUE(board.IsCurrentClipboard(s.get()));
    // A change of the data renders what was there before it changes.
    s->text->SetText("b");
    EXPECT_EQ(board.flushes, 1);
    EXPECT_FALSE(board.IsCurrentClipboard(s.get()));
    s->text->SetText("c");
    EXPECT_EQ(board.flushes, 1);
    ASSERT_TRUE(s->CutToClipboard());
    EXPECT_EQ(board.flushes, 1);
    EXPECT_EQ(s->GetPreferredDropEffect(), DROPEFFECT_MOVE);
    ASSERT_TRUE(s->CopyToClipboard());
    EXPECT_EQ(board.flushes, 2);  // the preferred effect changed while on the clipboard
    s->EmptyClipboard();
    EXPECT_EQ(board.current, nullptr);
    ASSERT_TRUE(s->PutOnClipboard());
    const TDataObjectRef held = board.current;
    s.reset();
    EXPECT_EQ(board.current, nullptr);
    EXPECT_EQ(held->object, nullptr);  // whoever still holds the link no longer reaches the source
}

TEST(Async, StateMachine) {
    Source s;
    int32_t flag = 0;
    EXPECT_EQ(s.SetAsyncMode(1), E_NOTIMPL);
    EXPECT_EQ(s.StartOperation(), E_NOTIMPL);
    s.SetAllowAsyncTransfer(true);
    ASSERT_EQ(s.SetAsyncMode(1), S_OK);
    s.GetAsyncMode(flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(s.EndOperation(S_OK, DROPEFFECT_COPY), E_FAIL);
    ASSERT_EQ(s.StartOperation(), S_OK);
    s.InOperation(flag);
    EXPECT_EQ(flag, -1);
    std::vector<std::pair<TDragResult, bool>> after;
    s.OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool o) { after.emplace_back(r, o); };
    s.DragTypes = DragTypeBit(dtCopy) | DragTypeBit(dtMove);
    ASSERT_EQ(s.EndOperation(S_OK, DROPEFFECT_MOVE), S_OK);
    ASSERT_EQ(s.StartOperation(), S_OK);
    ASSERT_EQ(s.EndOperation(E_FAIL, DROPEFFECT_COPY), S_OK);
    ASSERT_EQ(s.StartOperation(), S_OK);
    s.SetPerformedDropEffect(DROPEFFECT_MOVE);
    ASSERT_EQ(s.EndOperation(S_OK, DROPEFFECT_MOVE | DROPEFFECT_LINK), S_OK);
    EXPECT_EQ(after, (std::vector<std::pair<TDragResult, bool>>{{drDropMove, true},
                                                                {drUnknown, true},
                                                                {drDropMove, false}}));
    ASSERT_EQ(s.StartOperation(), S_OK);
    s.SetAllowAsyncTransfer(false);
    EXPECT_FALSE(s.InAsyncOperation());
    s.GetAsyncMode(flag);
    EXPECT_EQ(flag, 0);

    // With an operation started inside the loop the report comes from EndOperation only.
    Source d;
    d.SetAllowAsyncTransfer(true);
    FakeLoop loop;
    loop.target = [&](IDataObject&, IDropSource&) { d.StartOperation(); };
    d.DragLoop = &loop;
    int reports = 0;
    d.OnAfterDrop = [&](TCustomDropSource*, TDragResult, bool) { ++reports; };
    EXPECT_EQ(d.Execute(), drDropCopy);
    EXPECT_EQ(reports, 0);
    d.EndOperation(S_OK, DROPEFFECT_COPY);
    EXPECT_EQ(reports, 1);
}

namespace {
struct Images : TDragImageList {
    int n = 0;
    int Count() const override { return n; }
};
}  // namespace

TEST(DragImages, PropertyRules) {
    Source s;
    s.SetShowImage(true);
    EXPECT_FALSE(s.ShowImage());  // no images
    auto images = std::make_unique<Images>();
    images->n = 3;
    s.SetImages(images.get());
    s.SetShowImage(true);
    s.SetImageIndex(2);
    EXPECT_EQ(s.ImageIndex(), 2);
    s.SetImageIndex(3);
    EXPECT_EQ(s.ImageIndex(), 2);  // past the end: ignored
    FakeLoop loop;
    s.DragLoop = &loop;
    s.Execute();
    EXPECT_TRUE(loop.imageSeen);
    s.SetImageIndex(-1);
    EXPECT_EQ(s.ImageIndex(), 0);
    EXPECT_FALSE(s.ShowImage());
    s.SetShowImage(true);
    images.reset();
    EXPECT_EQ(s.Images(), nullptr);
    EXPECT_FALSE(s.ShowImage());
    s.Execute();
    EXPECT_FALSE(loop.imageSeen);
}
