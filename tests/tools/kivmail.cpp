// kivmail: sends one message as the send window does, through the same message builder and
// worker, for tests and by hand.
//   kivmail --settings userset.ini --to ADDR [--to ADDR]... [--cc ADDR]... --subject S
//           [--body-card PATH.kiv TRAIL | --body-outline PATH.kiv] [--attach FILE]...
//   kivmail --help
// Several --to (or --cc) add up, as addresses the window's field separates by commas; one
// value may itself hold several ("a@x.org, b@y.org").
// The server and sender come from the [MailSettings] section of the settings file. The body
// is the plain text of the text card of the topic at TRAIL (child indexes from the root,
// "0/3/1"), or the whole outline as the generate window makes it (titles only), or empty.
// Each status the window would show is printed on its own line; the exit status is 0 only
// when the server accepted the message. Errors: one line on stderr, exit status 1.
#include <QFileInfo>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "dialogs/OutlineText.h"
#include "email/core/MailSettings.h"
#include "email/SendWorker.h"
#include "engine/core/Cards.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/KivError.h"
#include "platform/core/RtfReader.h"

namespace {

constexpr const char* kUsage =
    "usage: kivmail --settings userset.ini --to ADDR [--to ADDR]... [--cc ADDR]... --subject S "
    "[--body-card PATH.kiv TRAIL | --body-outline PATH.kiv] [--attach FILE]...";

constexpr const char* kHelp =
    "Sends one message as the send window does.\n"
    "  --settings FILE  the [MailSettings] of this file give the server and the sender\n"
    "  --to ADDR        a recipient; give it again for more (each adds up)\n"
    "  --cc ADDR        a carbon-copy recipient; give it again for more\n"
    "  --subject S      the subject (may be empty)\n"
    "  --body-card PATH.kiv TRAIL  the body is the text card of the topic at TRAIL\n"
    "                   (child indexes from the root, \"0/3/1\")\n"
    "  --body-outline PATH.kiv     the body is the whole outline, titles only\n"
    "  --attach FILE    a file to attach; give it again for more\n"
    "Prints each status on its own line; exit status 0 only when the server took the message.";

// The help was asked for: nothing is sent.
struct HelpAsked {};

// Several addresses as the window's field holds them.
void AddAddress(std::string& list, const std::string& address) {
    if (!list.empty()) list += ", ";
    list += address;
}

struct Options {
    std::string settings, to, cc, subject, cardPath, trail, outlinePath;
    bool hasSubject = false;
    QStringList attachments;
};

Options Parse(int argc, char** argv) {
    Options o;
    const auto value = [&](int& i) -> std::string {
        if (i + 1 >= argc) throw kiv::EKivError(std::string(argv[i]) + " wants a value");
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--settings") o.settings = value(i);
        else if (a == "--help" || a == "-h") throw HelpAsked{};
        else if (a == "--to") AddAddress(o.to, value(i));
        else if (a == "--cc") AddAddress(o.cc, value(i));
        else if (a == "--subject") o.subject = value(i), o.hasSubject = true;
        else if (a == "--body-card") o.cardPath = value(i), o.trail = value(i);
        else if (a == "--body-outline") o.outlinePath = value(i);
        else if (a == "--attach") {
            const QFileInfo f(QString::fromStdString(value(i)));
            if (!f.isFile())
                throw kiv::EKivError("no file " + f.filePath().toStdString() + " to attach");
            o.attachments << f.absoluteFilePath();
        } else throw kiv::EKivError("unknown argument " + a);
    }
    if (o.settings.empty() || o.to.empty() || !o.hasSubject) throw kiv::EKivError(kUsage);
    if (!o.cardPath.empty() && !o.outlinePath.empty())
        throw kiv::EKivError("one body: --body-card or --body-outline");
    if (!kiv::FileExists(o.settings)) throw kiv::EKivError("no settings file " + o.settings);
    return o;
}

std::string Body(const Options& o) {
    if (!o.cardPath.empty()) {
        const std::string card = kiv::ReadPairOrCopy(o.cardPath, [&](const std::string& p) {
            const kiv::TTreePairFiles files = kiv::OpenTreePair(p, false);
            return kiv::ReadTrailCard(files.kiv.get(), files.dsc.get(), o.trail, kiv::kCardText);
        });
        return kiv::RtfToPlainText(card, kiv::RtfLineEnd::Lf);
    }
    if (!o.outlinePath.empty()) {
        return kiv::ReadPairOrCopy(o.outlinePath, [](const std::string& p) {
            kiv::TOutlinePairReader pair(p);
            kiv::TOutlineTextOptions options;
            options.Scope = kiv::TOutlineScope::Outline;
            std::string text;
            kiv::BuildOutlineTextFile(text, options, pair.Model, pair.Cards);
            return text;
        });
    }
    return {};
}

void Line(std::FILE* to, const QString& text) {
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(to, "%s\n", line.toUtf8().constData());
    std::fflush(to);
}

int Send(const Options& o) {
    const kiv::TMailSettings settings = kiv::ReadMailSettings(kiv::IniFile(o.settings));
    const QString to = QString::fromStdString(o.to);
    if (const kiv::TSendCheck check = kiv::CheckSend(settings, to); check != kiv::TSendCheck::Ready)
        throw kiv::EKivError(kiv::SendCheckText(check).toStdString());
    const kiv::TSendJob job = kiv::MakeSendJob(settings, to, QString::fromStdString(o.cc),
                                               QString::fromStdString(o.subject),
                                               QString::fromStdString(Body(o)), o.attachments);
    auto worker = std::make_unique<kiv::TSMTPThreadSole>(1, job);
    bool sent = false;
    QObject::connect(
        worker.get(), &kiv::TSMTPThreadSole::Reported, qApp,
        [&](quint64, int status, const QString& detail) {
            const auto s = kiv::TSendStatus(status);
            if (s == kiv::TSendStatus::Sent) sent = true;
            if (s == kiv::TSendStatus::Disconnection) {
                QCoreApplication::quit();
                return;
            }
            Line(stdout, kiv::SendStatusText(s, detail));
        },
        Qt::QueuedConnection);
    worker->start();
    QCoreApplication::exec();
    worker->wait();
    return sent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    kiv::IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    try {
        return Send(Parse(argc, argv));
    } catch (const HelpAsked&) {
        std::printf("%s\n%s\n", kUsage, kHelp);
        return 0;
    } catch (const std::exception& e) {
        Line(stderr, QStringLiteral("kivmail: ") + QString::fromUtf8(e.what()));
        return 1;
    }
}
