#pragma once
// The send worker: one thread per message. It builds the message from the fields copied
// into it before it starts (the attachments read there), runs one SMTP session and reports
// each step to whoever listens, by a queued signal that carries the send's id, so a
// listener tells a stale worker's reports from the current one's. Abandon ends the session
// at once from any thread.
#include <QMutex>
#include <QString>
#include <QThread>

#include "email/MailMessage.h"
#include "email/SmtpSession.h"

namespace kiv {

struct TMailSettings;

// What the worker reports, in the order a session goes through them. NotEncrypted comes
// between Connected and the end when the server did not offer STARTTLS; NotSent is any end
// after Connected other than Sent.
enum class TSendStatus {
    Connection,
    NotConnected,
    Connected,
    NotEncrypted,
    Sent,
    NotSent,
    Disconnection
};

// The worker's own name of a status ("Connection", "Not Connected", ...).
QString SendStatusName(TSendStatus status);
// What the status bar shows for it ("Connection to the email server...", ...); detail is
// the server's reply for NotSent.
QString SendStatusText(TSendStatus status, const QString& detail = {});
// The note shown while the session is not encrypted.
QString NotEncryptedText();

// The checks before a send, in their order: a To text without any recipient, then a blank
// sender address, sender name, server or port.
enum class TSendCheck { Ready, BlankTo, BlankSettings };
TSendCheck CheckSend(const TMailSettings& settings, const QString& to);
// "Can't send email! 'To' address is blank." and "'From', 'Name', 'SMTP Server' or 'Port'
// setting is blank, please set."
QString SendCheckText(TSendCheck check);
QString BlankSubjectQuestion();

// The fields of one send, as the worker gets them.
struct TSendJob {
    QString From, Name;  // trimmed
    QString To, Cc;      // trimmed recipient texts
    QString Host;        // trimmed
    int Port = 25;
    QString Subject;  // as typed
    QString Body;
    QString UserID, Password;  // trimmed
    QStringList Attachments;   // full paths
};

// The job from the settings and the message's fields.
TSendJob MakeSendJob(const TMailSettings& settings, const QString& to, const QString& cc,
                     const QString& subject, const QString& body, const QStringList& attachments);
// The trimmed port text as a number, 25 when it is not one (or not a port).
int PortOf(const QString& text);
// The message of a job; files that do not exist or cannot be read are left out.
mail::TMailMessage ComposeMessage(const TSendJob& job);

class TSMTPThreadSole : public QThread {
    Q_OBJECT
public:
    TSMTPThreadSole(quint64 sendId, TSendJob job);
    ~TSMTPThreadSole() override;

    const quint64 SendId;
    const TSendJob Job;

    // Sends once; every failure is caught and reported.
    void Run();
    // Ends the session at once; safe from any thread, also before the thread runs.
    void Abandon();
    // The last status reported, by its name.
    QString Status() const;

signals:
    void Reported(quint64 sendId, int status, const QString& detail);

protected:
    void run() override { Run(); }

private:
    void Report(TSendStatus status, const QString& detail = {});

    mail::TSmtpStopper stopper_;
    mutable QMutex mutex_;
    QString status_;
};

}  // namespace kiv
