// The program's clipboard and drops from the command line, for tests against a real X
// server and for a person trying them:
//   kivclip put TEXT      offers the text through our drop source until another program
//                         takes the clipboard (or 30 s pass); prints "ready" once offered
//   kivclip get           prints the text on the clipboard, read through our port
//   kivclip target        a window at (0,0), 300 x 300, registered with our combo target;
//                         prints "ready", then what the first drop brings, and ends
//   kivclip target-late   the same, reading the data only when it is dropped
//   kivclip offer FILE... TEXT   another program: a window at (400,0), 200 x 200, that
//                         drags the files (paths, or file:// addresses as written) and the
//                         text with plain Qt when pressed; prints the drag's result and
//                         serves the data for 3 s more
//   kivclip offer-move FILE... TEXT   the same, offering copy, move and link with move
//                         proposed, as file managers do
//   kivclip link URL TITLE    the same window dragging a link through our URL source;
//                         prints the drag's result and serves the data for 3 s more
//   kivclip put-link URL TITLE  offers a link through our URL source on the clipboard, as
//                         "put" does the text
//   kivclip plain-target  another program: a plain Qt window at (0,0), 300 x 300, taking
//                         links; prints "ready", then the dropped urls(), and ends
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstring>

#include "dragdrop/ComboTarget.h"
#include "dragdrop/QtDragDrop.h"
#include "dragdrop/core/TextFormats.h"

using namespace kiv;

namespace {

class TextSource : public TCustomDropMultiSource {
public:
    TextSource() { Text = new TTextDataFormat(this); }
    TTextDataFormat* Text;
};

// A plain Qt window that drags a file and a text when pressed, as other programs do.
class Offer : public QWidget {
public:
    Offer(QStringList files, QString text, bool move)
        : files_(std::move(files)), text_(std::move(text)), move_(move) {}

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        // A "file://" address is taken as it is written, so that a name's bytes that are
        // no UTF-8 can be given percent-encoded.
        for (const QString& f : files_)
            urls << (f.startsWith("file://") ? QUrl::fromEncoded(f.toLatin1())
                                             : QUrl::fromLocalFile(f));
        mime->setUrls(urls);
        mime->setText(text_);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction done =
            move_ ? drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::MoveAction)
                  : drag->exec(Qt::CopyAction | Qt::LinkAction);
        std::printf("dropped %d\n", int(done));
        std::fflush(stdout);
        // A target that reads at the drop asks after the drag has ended here.
        QTimer::singleShot(3000, qApp, &QCoreApplication::quit);
    }

private:
    QStringList files_;
    QString text_;
    bool move_;
};

// A window that drags a link through our URL source and Qt's drag loop when pressed.
class LinkSource : public QWidget {
public:
    LinkSource(const QString& url, const QString& title) {
        source_.SetURL(url.toStdString());
        source_.SetTitle(title.toStdString());
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        const TDragResult r = source_.Execute();
        std::printf("result=%d\n", int(r));
        std::fflush(stdout);
        // A target that reads at the drop asks after the drag has ended here.
        QTimer::singleShot(3000, qApp, &QCoreApplication::quit);
    }

private:
    TDropURLSource source_;
};

// A plain Qt window taking a link as file managers and Qt programs read it (urls()).
class PlainTarget : public QWidget {
public:
    PlainTarget() { setAcceptDrops(true); }

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* e) override { e->acceptProposedAction(); }
    void dropEvent(QDropEvent* e) override {
        const QMimeData* mime = e->mimeData();
        QStringList urls;
        for (const QUrl& u : mime->urls()) urls << u.toString();
        std::printf("urls=%s\n", urls.join('|').toUtf8().constData());
        std::fflush(stdout);
        e->acceptProposedAction();
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};

// "ready" once the server shows the window (it is exposed), so a test can look for it.
void ShowAt(QWidget& w, int x, int y, int size) {
    w.setGeometry(x, y, size, size);
    w.show();
    auto* look = new QTimer(&w);
    QObject::connect(look, &QTimer::timeout, &w, [&w, look] {
        if (!w.windowHandle() || !w.windowHandle()->isExposed()) return;
        look->stop();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    look->start(10);
}

// Offers the source on the clipboard until another program takes it (or 30 s pass).
int ServeOnClipboard(QApplication& app, TCustomDropSource& source, const char* what) {
    if (!source.CopyToClipboard()) {
        std::fprintf(stderr, "kivclip: the clipboard refused the %s\n", what);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &app, [&] {
        if (!DefaultClipboard()->IsCurrentClipboard(&source)) app.quit();
    });
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    UseQtDragDrop();
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "put") {
        TextSource source;
        source.Text->SetText(args[2].toStdString());
        return ServeOnClipboard(app, source, "text");
    }
    if (args.size() == 4 && args[1] == "put-link") {
        TDropURLSource source;
        source.SetURL(args[2].toStdString());
        source.SetTitle(args[3].toStdString());
        return ServeOnClipboard(app, source, "link");
    }
    if (args.size() == 2 && args[1] == "get") {
        auto data = DefaultClipboard()->GetClipboard();
        TTextDataFormat text;
        if (!data || !text.GetData(*data)) {
            std::fprintf(stderr, "kivclip: no text on the clipboard\n");
            return 1;
        }
        std::fwrite(text.Text().data(), 1, text.Text().size(), stdout);
        return 0;
    }
    if (args.size() == 2 && (args[1] == "target" || args[1] == "target-late")) {
        QWidget window;
        window.setWindowTitle("kivclip target");
        TDropComboTarget target;
        target.Formats = ComboBit(mfText) | ComboBit(mfFile) | ComboBit(mfURL);
        target.GetDataOnEnter = args[1] == "target";
        target.AddTargetControl(&window);
        target.OnDrop = [&](TCustomDropTarget*, TShiftState, QPoint, uint32_t&) {
            std::string files;
            for (const auto& f : target.Files()) files += (files.empty() ? "" : "|") + f;
            std::printf("files=%s\ntext=%s\nurl=%s\ntitle=%s\n", files.c_str(),
                        target.Text().c_str(), target.URL().c_str(), target.Title().c_str());
            std::fflush(stdout);
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        };
        ShowAt(window, 0, 0, 300);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (args.size() == 2 && args[1] == "plain-target") {
        PlainTarget window;
        window.setWindowTitle("kivclip plain target");
        ShowAt(window, 0, 0, 300);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (args.size() >= 3 && (args[1] == "offer" || args[1] == "offer-move")) {
        Offer window(args.mid(2, args.size() - 3), args.last(), args[1] == "offer-move");
        window.setWindowTitle("kivclip offer");
        ShowAt(window, 400, 0, 200);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (args.size() == 4 && args[1] == "link") {
        LinkSource window(args[2], args[3]);
        window.setWindowTitle("kivclip link");
        ShowAt(window, 400, 0, 200);
        QTimer::singleShot(30000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    std::fprintf(
        stderr,
        "usage: kivclip put TEXT | put-link URL TITLE | get | target | target-late | plain-target | "
        "offer FILE... TEXT | "
        "offer-move FILE... TEXT | link URL TITLE\n");
    return 2;
}
