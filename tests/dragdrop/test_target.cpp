#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QTextEdit>
#include <QUrl>
#include <QWidget>

#include "dragdrop/ComboTarget.h"
#include "dragdrop/MimeBridge.h"
#include "dragdrop/QtDragDrop.h"
#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/TextFormats.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;

namespace {

struct FakeTimer : IScrollTimer {
    int interval = -1;
    bool active = false;
    void Start(int ms) override { interval = ms, active = true; }
    void Stop() override { active = false; }
    bool Active() const override { return active; }
};

// A data object that counts how often it is read.
struct Counting : IDataObject {
    explicit Counting(IDataObject& inner) : inner(inner) {}
    IDataObject& inner;
    int reads = 0;
    HRESULT GetData(const TFormatEtc& f, TStgMedium& m) override {
        ++reads;
        return inner.GetData(f, m);
    }
    HRESULT QueryGetData(const TFormatEtc& f) override { return inner.QueryGetData(f); }
    HRESULT SetData(const TFormatEtc& f, TStgMedium& m, bool r) override {
        return inner.SetData(f, m, r);
    }
    HRESULT EnumFormatEtc(uint32_t d, std::unique_ptr<IEnumFormatEtc>& e) override {
        return inner.EnumFormatEtc(d, e);
    }
};

// A window with one registered panel, as the main window holds its drop target.
struct TargetFixture : ::testing::Test {
    QWidget window;
    QWidget* panel = new QWidget(&window);
    QWidget* inner = new QWidget(panel);
    TDropComboTarget target;
    void SetUp() override {
        window.setGeometry(100, 100, 300, 200);
        panel->setGeometry(0, 0, 300, 200);
        inner->setGeometry(10, 10, 50, 50);
        window.show();
        target.Dragtypes = DragTypeBit(dtCopy) | DragTypeBit(dtLink);
        target.Formats = ComboBit(mfText) | ComboBit(mfFile) | ComboBit(mfURL);
        target.AddTargetControl(panel);
    }
    QPoint Screen(QWidget* w, QPoint p = {20, 20}) { return w->mapToGlobal(p); }
};

}  // namespace

TEST_F(TargetFixture, EffectsFromKeysAndTheOfferedEffects) {
    struct Case {
        const char* what;
        uint32_t keys, offered, effect;
    };
    const Case cases[] = {
        {"no keys: move is not ours, copy comes first", MK_LBUTTON, 7, DROPEFFECT_COPY},
        {"Ctrl", MK_CONTROL, 7, DROPEFFECT_COPY},
        {"Ctrl+Shift", MK_CONTROL | MK_SHIFT, 7, DROPEFFECT_LINK},
        {"Shift", MK_SHIFT, DROPEFFECT_LINK | DROPEFFECT_MOVE, DROPEFFECT_LINK},
        {"move only", MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_NONE},
    };
    QMimeData mime;
    mime.setText("hello");
    for (const auto& c : cases) {
        TMimeDataObject data(&mime);
        uint32_t effect = c.offered;
        EXPECT_EQ(target.DragEnter(&data, c.keys, Screen(panel), effect), S_OK) << c.what;
        EXPECT_EQ(effect, c.effect) << c.what;
        effect = c.offered;
        const HRESULT over = target.DragOver(c.keys, Screen(panel), effect);
        EXPECT_EQ(over, c.effect ? S_OK : DV_E_CLIPFORMAT) << c.what;
        target.DragLeave();
    }
}

TEST_F(TargetFixture, RefusalsAnswerAsTheProtocolSays) {
    QMimeData mime;
    mime.setImageData(QImage(4, 4, QImage::Format_RGB32));  // a picture only: not wanted
    TMimeDataObject data(&mime);
    std::vector<std::string> calls;
    target.OnEnter = [&](auto*, TShiftState, QPoint, uint32_t&) { calls.push_back("enter"); };
    target.OnDrop = [&](auto*, TShiftState, QPoint, uint32_t&) { calls.push_back("drop"); };
    uint32_t effect = 7;
    EXPECT_EQ(target.DragEnter(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = 7;
    EXPECT_EQ(target.DragOver(0, Screen(panel), effect), DV_E_CLIPFORMAT);
    EXPECT_EQ(effect, 7u);  // left as it came
    EXPECT_EQ(target.Drop(&data, 0, Screen(panel), effect), E_UNEXPECTED);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = 7;
    EXPECT_EQ(target.DragOver(0, Screen(panel), effect), E_UNEXPECTED);  // no drag in progress
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_TRUE(calls.empty());

    // Data that cannot be read at entry.
    target.GetDataOnEnter = true;
    QMimeData broken;
    broken.setData("text/uri-list", "https://only.example/\r\n");
    TMimeDataObject brokenData(&broken);
    effect = 7;
    EXPECT_EQ(target.DragEnter(&brokenData, 0, Screen(panel), effect), DV_E_CLIPFORMAT);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(TargetFixture, ADropFromOurSourceWithOptimizedMove) {
    TCustomDropMultiSource source;
    auto* files = new TFileDataFormat(&source);
    files->Files().Assign({"/tmp/x"});
    source.DragTypes = DragTypeBit(dtMove) | DragTypeBit(dtCopy);
    target.Dragtypes = DragTypeBit(dtMove) | DragTypeBit(dtCopy);
    target.OptimizedMove = true;
    TSourceMimeData mime(source.DataObjectRef());
    TMimeDataObject data(&mime);
    std::vector<std::string> seen;
    target.OnDrop = [&](auto* t, TShiftState, QPoint, uint32_t& effect) {
        seen = static_cast<TDropComboTarget*>(t)->Files();
        EXPECT_EQ(effect, DROPEFFECT_MOVE);
    };
    uint32_t effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, MK_LBUTTON, Screen(panel), effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_MOVE);
    effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    ASSERT_EQ(target.Drop(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);  // what the source is told
    EXPECT_EQ(source.GetPerformedDropEffect(), DROPEFFECT_COPY);
    EXPECT_EQ(seen, std::vector<std::string>{"/tmp/x"});
    // The values are valid inside OnDrop only.
    EXPECT_TRUE(target.Files().empty());
}

TEST_F(TargetFixture, GetDataOnEnterReadsOnce) {
    target.GetDataOnEnter = true;
    QMimeData mime;
    mime.setText("once");
    TMimeDataObject inner(&mime);
    Counting data(inner);
    std::string atDrop;
    target.OnDrop = [&](auto* t, TShiftState, QPoint, uint32_t&) {
        atDrop = static_cast<TDropComboTarget*>(t)->Text();
    };
    uint32_t effect = DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, 0, Screen(panel), effect), S_OK);
    const int reads = data.reads;
    EXPECT_GT(reads, 0);
    EXPECT_EQ(target.Text(), "once");
    effect = DROPEFFECT_COPY;
    target.DragOver(0, Screen(panel), effect);
    ASSERT_EQ(target.Drop(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_EQ(atDrop, "once");
    EXPECT_EQ(data.reads, reads);
    EXPECT_EQ(target.Text(), "");
}

TEST_F(TargetFixture, RegistrationOrderAndMultiTarget) {
    target.AddTargetControl(inner);  // MultiTarget off: the panel goes
    EXPECT_EQ(target.Targets().size(), 1u);
    EXPECT_EQ(target.Target(), inner);
    target.MultiTarget = true;
    target.RemoveAllTargets();
    target.AddTargetControl(&window);
    target.AddTargetControl(inner);
    target.AddTargetControl(panel);
    ASSERT_EQ(target.Targets().size(), 3u);
    // Each right after its last registered ancestor.
    EXPECT_EQ(target.Targets()[0], &window);
    EXPECT_EQ(target.Targets()[1], panel);
    EXPECT_EQ(target.Targets()[2], inner);
    EXPECT_EQ(target.FindTargetAt(Screen(inner, {5, 5})), inner);
    EXPECT_EQ(target.FindTargetAt(Screen(panel, {200, 150})), panel);
    target.RemoveTargetControl(panel);
    EXPECT_EQ(target.FindTargetAt(Screen(panel, {200, 150})), &window);
    delete inner;
    inner = nullptr;
    EXPECT_EQ(target.Targets().size(), 1u);
    target.RemoveAllTargets();
    EXPECT_EQ(target.Target(), nullptr);
}

TEST_F(TargetFixture, ARichTextEditorGivesUpItsOwnDrops) {
    QTextEdit edit(&window);
    edit.setGeometry(0, 0, 100, 100);
    target.MultiTarget = true;
    target.AddTargetControl(&edit);
    QMimeData mime;
    mime.setText("into the editor");
    int drops = 0;
    target.OnDrop = [&](auto*, TShiftState, QPoint, uint32_t&) { ++drops; };
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &drop);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(edit.toPlainText(), "");  // ours, not the editor's
    target.RemoveTargetControl(&edit);
    EXPECT_FALSE(edit.acceptDrops());
}

TEST_F(TargetFixture, SevenDataFormatsInOrderAllEmptyAfterADrop) {
    std::vector<std::string> names;
    for (auto* f : target.DataFormats().Items()) names.push_back(f->ClassType().name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"TFileDataFormat", "TURLDataFormat", "TBitmapDataFormat",
                                        "TMetaFileDataFormat", "TTextDataFormat",
                                        "TFileMapDataFormat", "TDataStreamDataFormat"}));
    target.Formats = 0x7F;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/f")});
    mime.setText("t");
    mime.setData("_NETSCAPE_URL", "http://u/\nU");
    mime.setImageData(QImage(2, 2, QImage::Format_RGB32));
    mime.setData("application/x-kiv-cf;name=\"FileNameMap\"", QByteArray("m\0\0", 3));
    TMimeDataObject data(&mime);
    int filled = 0;
    target.OnDrop = [&](auto*, TShiftState, QPoint, uint32_t&) {
        for (auto* f : target.DataFormats().Items()) filled += f->HasData();
    };
    uint32_t effect = DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, 0, Screen(panel), effect), S_OK);
    ASSERT_EQ(target.Drop(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_EQ(filled, 5);  // files, link, picture, text, name map
    for (auto* f : target.DataFormats().Items()) EXPECT_FALSE(f->HasData()) << f->ClassType().name;
}

TEST(AutoScroll, OneLinePerTickInTheBandOnly) {
    QListWidget list;
    for (int i = 0; i < 100; ++i) list.addItem(QString::number(i));
    list.setGeometry(100, 100, 120, 120);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.show();
    list.verticalScrollBar()->setValue(50);
    TDropComboTarget target;
    auto timer = std::make_unique<FakeTimer>();
    FakeTimer* clock = timer.get();
    target.SetScrollTimer(std::move(timer));
    target.AddTargetControl(&list);
    QMimeData mime;
    mime.setText("x");
    TMimeDataObject data(&mime);
    const QRect zone = list.viewport()->geometry();
    const QPoint nearTop = list.mapToGlobal(QPoint(zone.center().x(), zone.top() + 2));
    uint32_t effect = DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, 0, nearTop, effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_SCROLL);
    EXPECT_FALSE(clock->active);
    effect = DROPEFFECT_COPY;
    target.DragOver(0, nearTop, effect);
    ASSERT_TRUE(clock->active);
    EXPECT_EQ(clock->interval, DragDropScrollDelay);
    for (int tick = 1; tick <= 3; ++tick) {
        target.AutoScrollTimer();
        EXPECT_EQ(list.verticalScrollBar()->value(), 50 - tick);
        EXPECT_TRUE(clock->active);
        EXPECT_EQ(clock->interval, DragDropScrollInterval);
    }
    const QPoint middle = list.mapToGlobal(zone.center());
    effect = DROPEFFECT_COPY;
    target.DragOver(0, middle, effect);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    target.AutoScrollTimer();
    EXPECT_FALSE(clock->active);
    EXPECT_EQ(list.verticalScrollBar()->value(), 47);
    target.DragLeave();

    // A drag that found no target switches auto-scroll off for itself only.
    effect = DROPEFFECT_COPY;
    target.DragEnter(&data, 0, QPoint(-500, -500), effect);
    target.DragLeave();
    EXPECT_TRUE(target.AutoScroll);
    effect = DROPEFFECT_COPY;
    target.DragEnter(&data, 0, nearTop, effect);
    EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_SCROLL);
}

TEST_F(TargetFixture, QtDragEventsBringLinkTitleAndText) {
    target.GetDataOnEnter = true;
    QMimeData mime;
    mime.setData("_NETSCAPE_URL", "http://e/\nE");
    mime.setData("text/plain", "hello");
    std::string url, title, text;
    target.OnDrop = [&](auto* t, TShiftState, QPoint, uint32_t&) {
        auto* c = static_cast<TDropComboTarget*>(t);
        url = c->URL(), title = c->Title(), text = c->Text();
    };
    const QPointF at(20, 20);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(panel, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton,
                        Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::sendEvent(panel, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::LinkAction);
    QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(url, "http://e/");
    EXPECT_EQ(title, "E");
    EXPECT_EQ(text, "hello");
}

// How Qt's X11 side shows another program's drag from a browser: text/x-moz-url is listed
// under text/uri-list only, yet given when asked for by its name.
class BrowserDrag : public QMimeData {
public:
    QStringList formats() const override { return {"text/uri-list", "text/plain"}; }
    bool hasFormat(const QString& m) const override { return formats().contains(m); }

protected:
    QVariant retrieveData(const QString& m, QMetaType) const override {
        const std::u16string link = u"https://kiv.example/k\nK\u00f6ln";
        if (m == "text/x-moz-url")
            return QByteArray(reinterpret_cast<const char*>(link.data()),
                              qsizetype(link.size() * 2));
        if (m == "text/uri-list") return QByteArray("https://kiv.example/k\r\n");
        if (m == "text/plain") return QByteArray("https://kiv.example/k");
        return {};
    }
};

TEST_F(TargetFixture, ABrowsersLinkBringsItsTitle) {
    target.GetDataOnEnter = true;
    BrowserDrag mime;
    std::string url, title;
    target.OnDrop = [&](auto* t, TShiftState, QPoint, uint32_t&) {
        auto* c = static_cast<TDropComboTarget*>(t);
        url = c->URL(), title = c->Title();
    };
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &drop);
    EXPECT_EQ(url, "https://kiv.example/k");
    EXPECT_EQ(title, "K\xC3\xB6ln");
}

// Another program's drag proposing a move, onto widgets that take the proposed action (an
// editor) or compute their own (our target): neither answers a move; a drag that can only
// move is refused.
TEST_F(TargetFixture, NoWidgetAnswersAnotherProgramsDragWithAMove) {
    UseQtDragDrop();
    QTextEdit edit;
    edit.resize(100, 100);
    for (QWidget* w : {edit.viewport(), panel})
        for (Qt::DropActions offered :
             {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::DropActions(Qt::MoveAction)}) {
            const bool onlyMove = offered == Qt::MoveAction;
            const std::string what = std::string(w == panel ? "our target" : "an editor") +
                                     (onlyMove ? ", move only" : "");
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile("/tmp/kept.txt")});
            mime.setText("/tmp/kept.txt");
            QDragEnterEvent enter(QPoint(20, 20), offered, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &enter);
            QDragMoveEvent move(QPoint(20, 20), offered, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
            EXPECT_EQ(move.isAccepted(), !onlyMove) << what;
            if (!onlyMove) {
                EXPECT_EQ(move.dropAction(), Qt::CopyAction) << what;
            }
            QDropEvent drop(QPointF(20, 20), offered, &mime, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &drop);
            EXPECT_EQ(drop.isAccepted(), !onlyMove) << what;
            if (!onlyMove) {
                EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << what;
            }
        }
    EXPECT_TRUE(edit.toPlainText().contains("/tmp/kept.txt"))
        << "the editor took the text as a copy";
}

TEST_F(TargetFixture, AnInternalTopicDragNeverReachesTheTarget) {
    QMimeData mime;
    mime.setData("application/x-kiv-internal-drag", "1");
    mime.setText("topic");
    int entered = 0;
    target.OnEnter = [&](auto*, TShiftState, QPoint, uint32_t&) { ++entered; };
    QDragEnterEvent enter(QPoint(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(panel, &enter);
    EXPECT_EQ(entered, 0);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(TargetFixture, ComboFiltersByKindAndReadsEveryAcceptedFormat) {
    QMimeData mime;
    mime.setData("text/uri-list", "file:///tmp/a\r\n");
    mime.setText("plain");
    mime.setData("application/x-kiv-cf;name=\"UniformResourceLocator\"", "http://u/");
    TMimeDataObject data(&mime);
    std::vector<std::string> seenFiles;
    std::string seenText, seenURL;
    target.OnDrop = [&](auto*, TShiftState, QPoint, uint32_t&) {
        seenFiles = target.Files(), seenText = target.Text(), seenURL = target.URL();
    };
    uint32_t effect = DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, 0, Screen(panel), effect), S_OK);
    ASSERT_EQ(target.Drop(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_EQ(seenFiles, std::vector<std::string>{"/tmp/a"});
    EXPECT_EQ(seenText, "plain");
    EXPECT_EQ(seenURL, "http://u/");

    target.Formats = ComboBit(mfText);
    bool askedForFiles = false;
    target.OnAcceptFormat = [&](auto*, TCustomDataFormat* f, bool&) {
        if (f == &target.FileFormat()) askedForFiles = true;
    };
    effect = DROPEFFECT_COPY;
    ASSERT_EQ(target.DragEnter(&data, 0, Screen(panel), effect), S_OK);
    ASSERT_EQ(target.Drop(&data, 0, Screen(panel), effect), S_OK);
    EXPECT_TRUE(seenFiles.empty());
    EXPECT_EQ(seenText, "plain");
    EXPECT_FALSE(askedForFiles);  // refused by kind before the handler is asked
    target.OnAcceptFormat = [](auto*, TCustomDataFormat*, bool& accept) { accept = false; };
    effect = DROPEFFECT_COPY;
    target.DragEnter(&data, 0, Screen(panel), effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(TargetFixture, PasteFromTheClipboard) {
    UseQtDragDrop();
    std::vector<std::pair<std::string, uint32_t>> drops;
    target.OnDrop = [&](auto*, TShiftState, QPoint p, uint32_t& effect) {
        EXPECT_EQ(p, QPoint(0, 0));
        drops.emplace_back(target.Text(), effect);
    };
    {
        TCustomDropMultiSource source;
        (new TTextDataFormat(&source))->SetText("cut text");
        std::vector<std::pair<TDragResult, bool>> pastes;
        source.OnPaste = [&](auto*, TDragResult r, bool del) { pastes.emplace_back(r, del); };
        ASSERT_TRUE(source.CopyToClipboard());
        EXPECT_EQ(target.PasteFromClipboard(), DROPEFFECT_COPY);
        EXPECT_EQ(pastes, (std::vector<std::pair<TDragResult, bool>>{{drDropCopy, false}}));
    }
    // Another program's text names no preferred effect: pasted as a copy.
    QApplication::clipboard()->setText(QString::fromUtf8("fremd \xC3\xA9"));
    EXPECT_EQ(target.PasteFromClipboard(), DROPEFFECT_COPY);
    EXPECT_EQ(drops,
              (std::vector<std::pair<std::string, uint32_t>>{{"cut text", DROPEFFECT_COPY},
                                                             {"fremd \xC3\xA9", DROPEFFECT_COPY}}));
    QApplication::clipboard()->clear();
    EXPECT_EQ(target.PasteFromClipboard(), DROPEFFECT_NONE);
    SetDefaultDragLoop(nullptr);
    SetDefaultClipboard(nullptr);
}

TEST_F(TargetFixture, ClearingDuringAnAsyncTransferIsRefused) {
    TCustomDropMultiSource source;
    (new TTextDataFormat(&source))->SetText("later");
    source.SetAllowAsyncTransfer(true);
    source.SetAsyncMode(1);
    target.AllowAsyncTransfer = true;
    int started = 0, ended = 0;
    std::string read;
    target.OnStartAsyncTransfer = [&](auto*) { ++started; };
    target.OnEndAsyncTransfer = [&](auto*) {
        ++ended;
        read = target.Text();
    };
    std::vector<TDragResult> after;
    source.OnAfterDrop = [&](auto*, TDragResult r, bool) { after.push_back(r); };
    ASSERT_TRUE(target.AssignDataObject(source));
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(target.TransferInProgress());
    EXPECT_TRUE(source.InAsyncOperation());
    EXPECT_EQ(kiv::test::MessageOf([&] {
                  uint32_t e = 1;
                  target.DragEnter(&source, 0, Screen(panel), e);
              }),
              "Can't clear data while async data transfer is in progress");
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(read, "later");
    EXPECT_EQ(after, std::vector<TDragResult>{drDropCopy});
    EXPECT_FALSE(target.TransferInProgress());
}

TEST(URLSource, OffersTheLinkFirstAndItsShortcutFile) {
    TDropURLSource s;
    s.SetURL("http://kiv.example/page");
    EXPECT_EQ(s.GetPreferredDropEffect(), DROPEFFECT_LINK);
    EXPECT_EQ(s.DragTypes, DragTypeBit(dtCopy) | DragTypeBit(dtLink));
    std::unique_ptr<IEnumFormatEtc> e;
    ASSERT_EQ(s.EnumFormatEtc(DATADIR_GET, e), S_OK);
    std::vector<TFormatEtc> got;
    std::vector<std::string> names;
    while (e->Next(1, got, nullptr) == S_OK)
        names.push_back(MimeNameOf(got[0].cfFormat).toStdString());
    EXPECT_EQ(names,
              (std::vector<std::string>{"application/x-kiv-cf;name=\"InShellDragLoop\"",
                                        "application/x-kiv-cf;name=\"Preferred DropEffect\"",
                                        "text/uri-list", "_NETSCAPE_URL", "text/x-moz-url",
                                        "application/x-kiv-cf;name=\"Netscape Bookmark\"",
                                        "application/x-kiv-cf;name=\"Netscape Image Format\"",
                                        "application/x-kiv-cf;name=\"UniformResourceLocator\"",
                                        "application/x-kiv-cf;name=\"FileGroupDescriptor\"",
                                        "application/x-kiv-cf;name=\"FileContents\"",
                                        "text/plain;charset=utf-8",
                                        "application/x-kiv-cf;name=\"CF_TEXT\""}));
    TStgMedium m;
    ASSERT_EQ(s.GetData(TFormatEtc{RegisterClipboardFormat("FileGroupDescriptor"), 1, -1,
                                   TYMED_HGLOBAL},
                        m),
              S_OK);
    EXPECT_EQ(ClipCodec::DescriptorNameA(m.data.substr(4)), "kiv.example.url");
    s.SetTitle("Page");
    EXPECT_EQ(s.Title(), "Page");
    ASSERT_EQ(s.GetData(TFormatEtc{RegisterClipboardFormat("FileGroupDescriptor"), 1, -1,
                                   TYMED_HGLOBAL},
                        m),
              S_OK);
    EXPECT_EQ(ClipCodec::DescriptorNameA(m.data.substr(4)), "Page.url");
    TSourceMimeData mime(s.DataObjectRef());
    EXPECT_EQ(mime.data("_NETSCAPE_URL").toStdString(), "http://kiv.example/page\nPage");
}

TEST(URLSource, OtherProgramsReadTheAddressAsURIAndAsBrowserLink) {
    struct Case {
        std::string url, title;
        QString moz;  // text/x-moz-url as a browser decodes it (UTF-16LE)
    };
    const Case cases[] = {
        {"http://kiv.example/page", "Page", "http://kiv.example/page\nPage"},
        {"https://kiv.example/k?q=1", "", "https://kiv.example/k?q=1"},
        {"http://kiv.example/dom", "K\xC3\xB6ln: Dom",
         QString::fromUtf8("http://kiv.example/dom\nK\xC3\xB6ln: Dom")},
    };
    for (const Case& c : cases) {
        TDropURLSource s;
        s.SetURL(c.url);
        s.SetTitle(c.title);
        TSourceMimeData mime(s.DataObjectRef());
        EXPECT_TRUE(mime.hasUrls()) << c.url;
        // A Qt target (a file manager, a Qt program): urls(); the list ends its line in CR LF.
        EXPECT_EQ(mime.urls(), QList<QUrl>{QUrl(QString::fromStdString(c.url))});
        EXPECT_EQ(mime.data("text/uri-list").toStdString(), c.url + "\r\n");
        const QByteArray moz = mime.data("text/x-moz-url");
        EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(moz.constData()),
                                     moz.size() / 2),
                  c.moz);
    }
}
