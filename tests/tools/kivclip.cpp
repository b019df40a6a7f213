// The program's clipboard from the command line, through its own drop source and
// clipboard port: "kivclip put TEXT" offers the text until another program takes the
// clipboard (or 30 s pass), printing "ready" once it is offered; "kivclip get" prints the
// text on the clipboard.
#include <QGuiApplication>
#include <QClipboard>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "dragdrop/QtDragDrop.h"
#include "dragdrop/core/TextFormats.h"

using namespace kiv;

namespace {

class TextSource : public TCustomDropMultiSource {
public:
    TextSource() { Text = new TTextDataFormat(this); }
    TTextDataFormat* Text;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    UseQtDragDrop();
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "put") {
        TextSource source;
        source.Text->SetText(args[2].toStdString());
        if (!source.CopyToClipboard()) {
            std::fprintf(stderr, "kivclip: the clipboard refused the text\n");
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
    std::fprintf(stderr, "usage: kivclip put TEXT | kivclip get\n");
    return 2;
}
