#include "email/SendWorker.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutexLocker>

#include <exception>

#include "email/core/MailSettings.h"

namespace kiv {

QString SendStatusName(TSendStatus status) {
    switch (status) {
    case TSendStatus::Connection: return QStringLiteral("Connection");
    case TSendStatus::NotConnected: return QStringLiteral("Not Connected");
    case TSendStatus::Connected: return QStringLiteral("Connected");
    case TSendStatus::NotEncrypted: return QStringLiteral("Not Encrypted");
    case TSendStatus::Sent: return QStringLiteral("Sent");
    case TSendStatus::NotSent: return QStringLiteral("Not Sent");
    case TSendStatus::Disconnection: return QStringLiteral("Disconnection");
    }
    return {};
}

QString SendStatusText(TSendStatus status, const QString& detail) {
    switch (status) {
    case TSendStatus::Connection: return QStringLiteral("Connection to the email server...");
    case TSendStatus::NotConnected:
        return QStringLiteral("Error, can't connect to the email server");
    case TSendStatus::Connected: return QStringLiteral("Connected, start sending email...");
    case TSendStatus::NotEncrypted: return NotEncryptedText();
    case TSendStatus::Sent: return QStringLiteral("email sent!");
    case TSendStatus::NotSent: return QStringLiteral("Error, email not sent: ") + detail;
    case TSendStatus::Disconnection: return {};
    }
    return {};
}

QString NotEncryptedText() { return QStringLiteral("Not encrypted"); }

TSendCheck CheckSend(const TMailSettings& settings, const QString& to) {
    if (mail::ParseRecipients(to.toStdString()).empty()) return TSendCheck::BlankTo;
    for (const std::string* field :
         {&settings.From, &settings.Name, &settings.SMTP, &settings.Port})
        if (QString::fromStdString(*field).trimmed().isEmpty()) return TSendCheck::BlankSettings;
    return TSendCheck::Ready;
}

QString SendCheckText(TSendCheck check) {
    switch (check) {
    case TSendCheck::BlankTo: return QStringLiteral("Can't send email! 'To' address is blank.");
    case TSendCheck::BlankSettings:
        return QStringLiteral(
            "'From', 'Name', 'SMTP Server' or 'Port' setting is blank, please set.");
    case TSendCheck::Ready: break;
    }
    return {};
}

QString BlankSubjectQuestion() {
    return QStringLiteral("Subject is blank. Do you want to send email without subject?");
}

int PortOf(const QString& text) {
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : 25;
}

TSendJob MakeSendJob(const TMailSettings& settings, const QString& to, const QString& cc,
                     const QString& subject, const QString& body, const QStringList& attachments) {
    const auto trimmed = [](const std::string& s) { return QString::fromStdString(s).trimmed(); };
    TSendJob j;
    j.From = trimmed(settings.From);
    j.Name = trimmed(settings.Name);
    j.To = to.trimmed();
    j.Cc = cc.trimmed();
    j.Host = trimmed(settings.SMTP);
    j.Port = PortOf(QString::fromStdString(settings.Port));
    j.Subject = subject;
    j.Body = body;
    j.UserID = trimmed(settings.UserID);
    j.Password = trimmed(settings.Password);
    j.Attachments = attachments;
    return j;
}

mail::TMailMessage ComposeMessage(const TSendJob& job) {
    mail::TMailMessage m;
    m.From = {job.Name.toStdString(), job.From.toStdString()};
    m.To = mail::ParseRecipients(job.To.toStdString());
    m.Cc = mail::ParseRecipients(job.Cc.toStdString());
    m.Subject = job.Subject.toStdString();
    m.Body = job.Body.toStdString();
    const QMimeDatabase types;
    for (const QString& path : job.Attachments) {
        const QFileInfo info(path);
        if (!info.isFile()) continue;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = f.readAll();
        if (f.error() != QFileDevice::NoError) continue;
        m.Attachments.push_back({info.fileName().toStdString(),
                                 types.mimeTypeForFile(info).name().toStdString(),
                                 bytes.toStdString()});
    }
    return m;
}

TSMTPThreadSole::TSMTPThreadSole(quint64 sendId, TSendJob job)
    : SendId(sendId), Job(std::move(job)) {}

TSMTPThreadSole::~TSMTPThreadSole() {
    Abandon();
    wait();
}

void TSMTPThreadSole::Abandon() { stopper_.Stop(); }

QString TSMTPThreadSole::Status() const {
    QMutexLocker lock(&mutex_);
    return status_;
}

void TSMTPThreadSole::Report(TSendStatus status, const QString& detail) {
    {
        QMutexLocker lock(&mutex_);
        status_ = SendStatusName(status);
    }
    emit Reported(SendId, int(status), detail);
}

void TSMTPThreadSole::Run() {
    try {
        const mail::TMailMessage m = ComposeMessage(Job);
        mail::TSmtpRequest r;
        r.Host = Job.Host.toStdString();
        r.Port = Job.Port;
        r.UserId = Job.UserID.toStdString();
        r.Password = Job.Password.toStdString();
        r.MailFrom = m.From.Address;
        for (const auto* list : {&m.To, &m.Cc})
            for (const mail::TMailAddress& a : *list) r.Recipients.push_back(a.Address);
        r.Message = mail::BuildMessage(m);

        Report(TSendStatus::Connection);
        mail::TSmtpEvents events;
        events.OnConnected = [this] { Report(TSendStatus::Connected); };
        events.OnEncryption = [this](bool encrypted) {
            if (!encrypted) Report(TSendStatus::NotEncrypted);
        };
        const mail::TSmtpResult result = mail::SendSmtp(r, stopper_, events);
        const QString detail = QString::fromStdString(result.Detail);
        switch (result.Outcome) {
        case mail::TSmtpOutcome::NotConnected: Report(TSendStatus::NotConnected, detail); break;
        case mail::TSmtpOutcome::Failed: Report(TSendStatus::NotSent, detail); break;
        case mail::TSmtpOutcome::Sent: Report(TSendStatus::Sent); break;
        case mail::TSmtpOutcome::Stopped: break;
        }
    } catch (const std::exception& e) {
        Report(TSendStatus::NotSent, QString::fromStdString(e.what()));
    } catch (...) {
        Report(TSendStatus::NotSent, QStringLiteral("unknown failure"));
    }
    Report(TSendStatus::Disconnection);
}

}  // namespace kiv
