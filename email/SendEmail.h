#pragma once
// The send window ("Send email"): one plain-text message with To and Cc, a subject and
// attachments, sent on a worker thread while the window waits with the status shown. Stop
// abandons the send at once. Only the server's acceptance is told as sent; every other end
// is told as an error.
//
// Each send has an id. The window follows the reports of its current send only: a worker
// that was stopped is not heard again, and a worker the wait gave up on may still tell how
// it ended but never touches a newer send's state.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <deque>
#include <set>

#include "email/SendWorker.h"
#include "platform/qt/Dialogs.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QStatusBar;
class QTextEdit;
class QToolButton;

namespace kiv {

class TfrmEmailSettings;
class TfrmAddresses;
class TfrmGenerateMessage;
class THotLabel;

// " (n b)" below 1000 bytes, else " (n kb)" with n the size in thousands, rounded half to even.
QString AttachmentSuffix(qint64 size);

class TfrmSendEmail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSendEmail(QWidget* parent = nullptr);
    ~TfrmSendEmail() override;

    // The windows it opens, set by whoever makes them.
    QPointer<TfrmEmailSettings> Settings;
    QPointer<TfrmAddresses> Addresses;
    QPointer<TfrmGenerateMessage> Generate;

    // ---- state ----
    bool Sending = false;              // a send is waited for
    QPointer<TSMTPThreadSole> Worker;  // the current send's worker, or none
    QStringList AttachPaths;           // entry k: the full path of lbxAttach's line k
    int WaitRounds = 1801;             // 50 ms each

    // ---- components ----
    THotLabel* lblTo = nullptr;
    THotLabel* lblCc = nullptr;
    QLabel* lblSubject = nullptr;
    THotLabel* lblAttach = nullptr;
    QLineEdit* edtTo = nullptr;
    QLineEdit* edtCc = nullptr;
    QLineEdit* edtSubject = nullptr;
    QListWidget* lbxAttach = nullptr;
    QTextEdit* reMessage = nullptr;
    QStatusBar* sbStatus = nullptr;
    QLabel* lblSecurity = nullptr;  // "Not encrypted" while the session was not encrypted
    QToolButton* btnRestore = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* btnNew = nullptr;
    QToolButton* btnGenerate = nullptr;
    QToolButton* btnAttach = nullptr;
    QToolButton* btnAddresses = nullptr;
    QToolButton* btnMoveToSelPanel = nullptr;
    TOpenDialog odAttach;

    // ---- handlers ----
    void btnRestoreClick();  // Send; nothing while a send runs
    void btnSendClick();     // the same without that check
    void StartSendMail(const QString& to);
    void SetSendingState(bool done);
    void ShowSendStatus(TSendStatus status, const QString& detail = {});
    void StopSendThread();
    void btnStopClick();
    void btnNewClick();
    void AddAttachment();
    void lbxAttachDelete();
    void btnAddressesClick();
    void btnGenerateClick();
    void btnMoveToSelPanelClick();
    void FormShow();

    // The current send's id (0 while none is followed).
    quint64 CurrentSend() const { return currentSend_; }

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void WorkerReported(quint64 sendId, int status, const QString& detail);
    void Dispatch();
    void WaitForSend();

    quint64 lastSend_ = 0;
    quint64 currentSend_ = 0;
    std::set<quint64> stopped_;
    struct Pending {
        quint64 id;
        TSendStatus status;
        QString detail;
    };
    std::deque<Pending> pending_;
    bool dispatching_ = false;
    QList<QPointer<TSMTPThreadSole>> workers_;  // every worker still alive
};

}  // namespace kiv
