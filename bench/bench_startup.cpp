// What a user waits for in the main window, beside plain Qt doing the same:
//  - a start: from exec of the program with a datastructure to its first painted window
//    and to the end of drawing, measured on a real process that reports its paints
//    (KIV_REPORT_PAINT), beside a plain Qt window of the same layout started the same way;
//    with the process's peak memory and whether the browser engine or an OpenGL driver was
//    loaded by then;
//  - the command-line tool: kivtree dump of a one-topic datastructure, and kivtree export
//    --cards of 10,000 topics with 10 MB of text cards, both joined files, each with its
//    peak memory;
//  - a topic change with a 100 KB text card, from the click on the row through the event
//    loop until the new card is laid out and painted, beside a plain QTextEdit loading the
//    same text; and the card's bytes read alone.
// Runs under the offscreen platform unless QT_QPA_PLATFORM says otherwise (under Xvfb with
// a window manager the X server's own work is included), in private folders. The programs
// measured are those beside this one, or in $KIV_BENCH_BIN when set (to compare builds).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QAbstractTextDocumentLayout>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/KivError.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "bench/BenchTree.h"
#include "bench/BenchWindow.h"
#include "mainwindow/MainWindow.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/PaintReport.h"
#include "platform/qt/RtfWriter.h"

extern char** environ;

namespace kiv {
namespace {

using bench::Click;
using bench::PaintCounter;
using bench::StartWindow;
using bench::StopWindow;

std::string g_root;  // private folder of the run, with a trailing "/"
std::string g_home;  // the program folder (KIV_HOME)
std::string g_self;  // this executable
std::string g_bin;   // the folder of the programs measured, with a trailing "/"

// About 100 KB of rich text: paragraphs with a bold run in each.
std::string HundredKilobyteCard() {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat plain, bold;
    bold.setFontWeight(QFont::Bold);
    int i = 0;
    while (true) {
        c.insertText(
            QStringLiteral("Paragraph %1 of the long card, with some ordinary words and ").arg(++i),
            plain);
        c.insertText(QStringLiteral("a bold part"), bold);
        c.insertText(QStringLiteral(" before its end."), plain);
        c.insertBlock();
        if (i % 50 == 0 && WriteRtf(doc).size() >= 100 * 1024) break;
    }
    return WriteRtf(doc);
}

// "FirstKivDB.kiv" with two top-level topics, each with a 100 KB text card; joined, as a
// datastructure that is not open.
std::string MakeBenchDatastructure(std::string& card) {
    const std::string path = g_home + "FirstKivDB.kiv";
    if (FileExists(path)) RemoveFile(path);
    MakeTreePair(path, "first second");
    card = HundredKilobyteCard();
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TItemArray items;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), items);
        TCards cards;
        cards.SetCardFile(dsc.get());
        for (TNestItem& it : items)
            if (!cards.WriteCard(kCardText, it.CardDir, card))
                throw kiv::EKivError("bench: a text card was not stored");
    }
    PackDatastructure(path);
    return path;
}

// ---- a start of a real process ----

struct StartTimes {
    double firstPaintMs = -1;
    double settledMs = -1;
    double peakMB = -1;
    bool webEngine = false;  // Qt WebEngine's core library was mapped at the settled paint
    bool openGL = false;     // so was a Mesa driver (the software one is libLLVM's)
};

// What the process holds at the settled paint: its peak memory so far (its own, unlike the
// resource use that wait4 reports, which counts this program's too) and the libraries.
void ReadProcess(pid_t pid, StartTimes& t) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) t.peakMB = std::stod(line.substr(6)) / 1024.0;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find("libQt6WebEngineCore") != std::string::npos) t.webEngine = true;
        if (line.find("_dri.so") != std::string::npos || line.find("libLLVM") != std::string::npos)
            t.openGL = true;
    }
}

// Starts the program with its arguments and the report going to a FIFO, reads the two
// report lines, then ends the process as a user's close would (SIGTERM). Negative times
// when the process did not report within 30 s.
StartTimes StartProcess(const std::vector<std::string>& args) {
    const std::string fifo = g_root + "paint-report";
    ::unlink(fifo.c_str());
    if (::mkfifo(fifo.c_str(), 0600) != 0) return {};
    const int rd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "KIV_REPORT_PAINT=", 17) != 0) env.emplace_back(*e);
    env.push_back("KIV_REPORT_PAINT=" + fifo);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    StartTimes t;
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;  // the programs' own messages would mix with the table
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int64_t start = MonotonicNanoseconds();
    const int spawned = ::posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        ::close(rd);
        return t;
    }
    std::string buffer;
    const int64_t deadline = start + int64_t(30) * 1000000000;
    while (t.settledMs < 0 && MonotonicNanoseconds() < deadline) {
        pollfd p{rd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char chunk[256];
        const ssize_t n = ::read(rd, chunk, sizeof chunk);
        if (n <= 0) continue;  // no writer yet, or between writes
        buffer.append(chunk, size_t(n));
        for (size_t nl; (nl = buffer.find('\n')) != std::string::npos; buffer.erase(0, nl + 1)) {
            std::string word;
            int64_t ns = 0;
            if (!ParsePaintReportLine(buffer.substr(0, nl + 1), word, ns)) continue;
            const double ms = double(ns - start) / 1e6;
            if (word == "first-paint") t.firstPaintMs = ms;
            if (word == "settled") t.settledMs = ms;
        }
    }
    if (t.settledMs >= 0) ReadProcess(pid, t);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(rd);
    ::unlink(fifo.c_str());
    return t;
}

void ReportStarts(benchmark::State& state, const std::vector<std::string>& args) {
    StartProcess(args);  // the first start seeds the program folder and warms the caches
    double settled = 0, peak = 0;
    bool webEngine = false, openGL = false;
    for (auto _ : state) {
        const StartTimes t = StartProcess(args);
        if (t.firstPaintMs < 0 || t.settledMs < 0) {
            state.SkipWithError("the process did not report its paints");
            break;
        }
        state.SetIterationTime(t.firstPaintMs / 1000.0);
        settled += t.settledMs;
        peak = std::max(peak, t.peakMB);
        webEngine = webEngine || t.webEngine;
        openGL = openGL || t.openGL;
    }
    if (state.iterations() == 0) return;
    state.counters["settled_ms"] = settled / double(state.iterations());
    state.counters["peak_rss_MB"] = peak;
    state.counters["webengine_loaded"] = webEngine;
    state.counters["opengl_loaded"] = openGL;
}

void BM_KivStartToFirstPaint(benchmark::State& state) {
    std::string card;
    const std::string path = MakeBenchDatastructure(card);
    ReportStarts(state, {g_bin + "kiv", path});
}
BENCHMARK(BM_KivStartToFirstPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_PlainWindowStartToFirstPaint(benchmark::State& state) {
    std::string card;
    const std::string path = MakeBenchDatastructure(card);
    ReportStarts(state, {g_self, "--plain-window", path});
}
BENCHMARK(BM_PlainWindowStartToFirstPaint)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// ---- the command-line tool ----

// Runs the program to its end through the launcher beside this program; the wall time and
// its peak memory. A negative time when it could not be started or did not end well.
struct ToolRun {
    double ms = -1;
    double peakMB = -1;
};
ToolRun RunTool(const std::vector<std::string>& args) {
    const std::string report = g_root + "peakrss";
    std::vector<std::string> all = {g_self.substr(0, g_self.rfind('/') + 1) + "peakrss", report};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ToolRun r;
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
    std::ifstream in(report);
    double ms = -1, kb = -1;
    if (!(in >> ms >> kb)) return r;
    r.ms = ms;
    r.peakMB = kb / 1024.0;
    return r;
}

void ReportTool(benchmark::State& state, const std::vector<std::string>& args) {
    RunTool(args);  // warms the caches
    double peak = 0;
    for (auto _ : state) {
        const ToolRun r = RunTool(args);
        if (r.ms < 0) {
            state.SkipWithError("the tool failed");
            break;
        }
        state.SetIterationTime(r.ms / 1000.0);
        peak = std::max(peak, r.peakMB);
    }
    state.counters["peak_rss_MB"] = peak;
}

void BM_KivtreeDumpOneTopic(benchmark::State& state) {
    const std::string path = g_root + "one.kiv";
    MakeTreePair(path, "only");
    PackDatastructure(path);
    ReportTool(state, {g_bin + "kivtree", "dump", path});
}
BENCHMARK(BM_KivtreeDumpOneTopic)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_KivtreeExportCards10000Topics(benchmark::State& state) {
    const std::string path = g_root + "large.kiv";
    bench::MakeLargeTree(path, 100, 99, 10 * 1024 * 1024);
    PackDatastructure(path);
    ReportTool(state, {g_bin + "kivtree", "export", path, "--cards"});
}
BENCHMARK(BM_KivtreeExportCards10000Topics)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// The plain window: the main window's parts (menus, a tool bar, three outline lists
// beside a rich-text editor with the first card's text, a status bar), at the size of a
// first start, in plain Qt widgets.
int RunPlainWindow(int argc, char** argv) {
    KivApplication app(argc, argv);
    QMainWindow w;
    for (const char* title :
         {"&File", "&Edit", "&Topic", "&Outline", "&View", "&Bookmarks", "&Tools", "&Help"}) {
        QMenu* m = w.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 0; i < 12; ++i) m->addAction(QStringLiteral("Command %1").arg(i + 1));
    }
    QToolBar* tools = w.addToolBar(QStringLiteral("Tools"));
    for (int i = 0; i < 24; ++i)
        tools->addAction(w.style()->standardIcon(
                             QStyle::StandardPixmap(QStyle::SP_FileIcon + i % 20)),
                         QString());
    auto* split = new QSplitter(&w);
    for (int p = 0; p < 3; ++p) {
        auto* t = new QTableWidget(20, 1, split);
        for (int r = 0; r < 20; ++r)
            t->setItem(r, 0, new QTableWidgetItem(QStringLiteral("Topic %1").arg(r + 1)));
    }
    auto* edit = new QTextEdit(split);
    if (argc > 2) {
        std::string card;
        const std::string path = argv[2];
        TDatastructurePair pair = OpenDatastructurePair(path, false);
        TItemArray items;
        ReadNestItems(pair.Outline.get(), ReadRootNest(pair.Outline.get()), items);
        TCards cards;
        cards.SetCardFile(pair.Cards.get());
        if (!items.empty()) cards.ReadCard(kCardText, items[0].CardDir, card);
        edit->setPlainText(QString::fromStdString(RtfToPlainText(card)));
    }
    w.setCentralWidget(split);
    w.statusBar()->showMessage(QStringLiteral("Ready"));
    w.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    w.show();
    return app.exec();
}

// ---- the topic change through the event loop ----

// Runs the event loop after a change until the editor has painted and neither its
// document, the document's size nor its scroll range changed for 150 ms (a long document
// is laid out in steps on a timer). Returns the seconds from start to the last change.
double UntilLaidOutAndPainted(QTextEdit* editor, PaintCounter& counter, int64_t start) {
    constexpr int64_t kQuiet = 150 * 1000000LL;
    auto snapshot = [editor] {
        const QTextDocument* d = editor->document();
        return std::make_tuple(d, d->documentLayout()->documentSize(),
                               editor->verticalScrollBar()->maximum());
    };
    auto last = snapshot();
    const int paintsBefore = counter.paints;
    int paintsSeen = counter.paints;
    int64_t lastChange = start;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        const int64_t now = MonotonicNanoseconds();
        const auto s = snapshot();
        if (s != last || counter.paints != paintsSeen) {
            last = s;
            paintsSeen = counter.paints;
            lastChange = now;
        }
        if (counter.paints > paintsBefore && now - lastChange > kQuiet) break;
        if (now - start > int64_t(30) * 1000000000) break;
    }
    return double(lastChange - start) / 1e9;
}

// A click on the other topic of panel 1; with modified, the card shown was edited first,
// so the old card is stored before the new one is loaded.
void TopicChange(benchmark::State& state, bool modified) {
    std::string card;
    MakeBenchDatastructure(card);
    auto f = StartWindow();
    f->show();
    auto* grid = f->findChild<TKivStringGrid*>(QStringLiteral("sgdFirst"));
    auto* editor = f->findChild<QTextEdit*>(QStringLiteral("txtSimpleText"));
    if (!grid || !editor) {
        state.SkipWithError("the window has no sgdFirst or txtSimpleText");
        StopWindow(f);
        return;
    }
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    UntilLaidOutAndPainted(editor, counter, MonotonicNanoseconds());
    for (auto _ : state) {
        if (modified) editor->document()->setModified(true);
        const int target = 1 - grid->CurrentRow();
        const QRect r = grid->RowContentRect(target);
        const int64_t start = MonotonicNanoseconds();
        Click(grid->viewport(), QPoint(r.right() - 10, r.center().y()));
        state.SetIterationTime(UntilLaidOutAndPainted(editor, counter, start));
        if (grid->CurrentRow() != target) {
            state.SkipWithError("the click did not change the topic");
            break;
        }
    }
    editor->viewport()->removeEventFilter(&counter);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(card.size()) *
                            (modified ? 2 : 1));
    StopWindow(f);
}
void BM_TopicChange100KB(benchmark::State& state) { TopicChange(state, false); }
void BM_TopicChangeStoringAndLoading100KB(benchmark::State& state) { TopicChange(state, true); }
BENCHMARK(BM_TopicChange100KB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_TopicChangeStoringAndLoading100KB)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// A plain QTextEdit of the same size loading the card's text, measured the same way.
void BM_PlainQTextEditLoading100KB(benchmark::State& state) {
    std::string card;
    MakeBenchDatastructure(card);
    const QString text = QString::fromStdString(RtfToPlainText(card));
    QTextEdit editor;
    editor.resize(600, 500);
    editor.show();
    PaintCounter counter;
    editor.viewport()->installEventFilter(&counter);
    UntilLaidOutAndPainted(&editor, counter, MonotonicNanoseconds());
    int i = 0;
    for (auto _ : state) {
        const int64_t start = MonotonicNanoseconds();
        // Alternating texts, as the topic change alternates its topics.
        editor.setPlainText(++i % 2 ? text : text + QStringLiteral(" "));
        state.SetIterationTime(UntilLaidOutAndPainted(&editor, counter, start));
    }
    editor.viewport()->removeEventFilter(&counter);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(card.size()));
}
BENCHMARK(BM_PlainQTextEditLoading100KB)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// Only the bytes: the card read from the open card file.
void BM_Read100KBTextCard(benchmark::State& state) {
    std::string card;
    const std::string path = MakeBenchDatastructure(card);
    TDatastructurePair pair = OpenDatastructurePair(path, false);
    TItemArray items;
    ReadNestItems(pair.Outline.get(), ReadRootNest(pair.Outline.get()), items);
    TCards cards;
    cards.SetCardFile(pair.Cards.get());
    std::string text;
    for (auto _ : state) {
        text.clear();
        cards.ReadCard(kCardText, items[0].CardDir, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    pair = {};
    PackDatastructure(path);
}
BENCHMARK(BM_Read100KBTextCard)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc > 1 && std::strcmp(argv[1], "--plain-window") == 0)
        return kiv::RunPlainWindow(argc, argv);

    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 2;
    kiv::g_self.assign(self, size_t(n));
    const char* bin = std::getenv("KIV_BENCH_BIN");
    kiv::g_bin =
        bin && *bin ? std::string(bin) + "/" : kiv::g_self.substr(0, kiv::g_self.rfind('/') + 1);
    std::string base =
        std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string tmpl = base + "/kiv-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 2;
    kiv::g_root = tmpl + "/";
    for (const char* d : {"home/", "data/", "run/"}) kiv::MakeDirs(kiv::g_root + d);
    ::chmod((kiv::g_root + "run").c_str(), 0700);
    // The started programs inherit these: no running KIV and no user's files are touched.
    ::setenv("XDG_DATA_HOME", (kiv::g_root + "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (kiv::g_root + "run").c_str(), 1);
    kiv::g_home = kiv::g_root + "home/";
    ::setenv("KIV_HOME", kiv::g_home.c_str(), 1);
    ::unsetenv("KIV_REPORT_PAINT");
    kiv::ResetAppPaths();
    {
        kiv::KivApplication app(argc, argv);
        kiv::InstallDialogs(std::make_unique<kiv::FakeDialogs>());
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    kiv::RemoveTree(kiv::g_root);
    return 0;
}
