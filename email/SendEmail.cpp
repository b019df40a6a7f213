#include "email/SendEmail.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "components/HotLabel.h"
#include "email/AddressBook.h"
#include "email/EmailModal.h"
#include "email/EmailSettings.h"
#include "email/GenerateMessage.h"
#include "email/MailMessage.h"
#include "platform/core/AppPaths.h"
#include "platform/core/Rounding.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Screen.h"

namespace kiv {

namespace {

constexpr int kMessageMaxLength = 1000000;


THotLabel* Link(QWidget* parent, const char* name, const QString& caption) {
    auto* l = Named(new THotLabel(parent), name);
    l->setText(caption);
    l->SetHotTrack(true);
    return l;
}

// A label that runs its handler on a left click.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> click)
        : QObject(parent), click_(std::move(click)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            GuardCall(click_);
            return true;
        }
        return false;
    }

private:
    std::function<void()> click_;
};

}  // namespace

QString AttachmentSuffix(qint64 size) {
    if (size < 1000) return QStringLiteral(" (%1 b)").arg(size);
    return QStringLiteral(" (%1 kb)").arg(RoundHalfEven(double(size) / 1000.0));
}

TfrmSendEmail::TfrmSendEmail(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSendEmail"));
    setWindowTitle(QStringLiteral("Send email"));

    auto* bar = Named(new QToolBar(this), "ToolBar1");
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto tool = [&](const char* name, const QString& caption, const QString& hint,
                          auto handler) {
        auto* b = Named(new QToolButton(bar), name);
        b->setText(caption);
        b->setToolTip(hint);
        connect(b, &QToolButton::clicked, this,
                [this, handler] { GuardCall([this, handler] { (this->*handler)(); }); });
        bar->addWidget(b);
        return b;
    };
    btnRestore = tool("btnRestore", QStringLiteral("  Send  "), QStringLiteral("Send email"),
                      &TfrmSendEmail::btnRestoreClick);
    btnStop = tool("btnStop", QStringLiteral("Stop"), QStringLiteral("Stop sending"),
                   &TfrmSendEmail::btnStopClick);
    btnStop->setEnabled(false);
    bar->addSeparator();
    btnNew = tool("btnNew", QStringLiteral("New"), QStringLiteral("Clear all for new message"),
                  &TfrmSendEmail::btnNewClick);
    btnGenerate = tool("btnGenerate", QStringLiteral("Generate..."),
                       QStringLiteral("Generate message text"), &TfrmSendEmail::btnGenerateClick);
    btnAttach = tool("btnAttach", QStringLiteral("Attach"), QStringLiteral("Attach file"),
                     &TfrmSendEmail::AddAttachment);
    btnAddresses = tool("btnAddresses", QStringLiteral("Addresses"),
                        QStringLiteral("Addresses book"), &TfrmSendEmail::btnAddressesClick);
    btnMoveToSelPanel =
        tool("btnMoveToSelPanel", QStringLiteral("Settings"), QStringLiteral("SMTP settings"),
             &TfrmSendEmail::btnMoveToSelPanelClick);

    lblTo = Link(this, "lblTo", QStringLiteral("To:"));
    lblCc = Link(this, "lblCc", QStringLiteral("Cc:"));
    lblSubject = Named(new QLabel(QStringLiteral("Subject:"), this), "lblSubject");
    lblAttach = Link(this, "lblAttach", QStringLiteral("Attachments:"));
    lblAttach->setToolTip(QStringLiteral("Attach file"));
    for (THotLabel* l : {lblTo, lblCc})
        l->installEventFilter(new ClickFilter(l, [this] { btnAddressesClick(); }));
    lblAttach->installEventFilter(new ClickFilter(lblAttach, [this] { AddAttachment(); }));
    edtTo = Named(new QLineEdit(this), "edtTo");
    edtCc = Named(new QLineEdit(this), "edtCc");
    edtSubject = Named(new QLineEdit(this), "edtSubject");
    for (QLineEdit* e : {edtTo, edtCc, edtSubject}) e->setFrame(false);
    lbxAttach = Named(new QListWidget(this), "lbxAttach");
    lbxAttach->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxAttach->setFixedHeight(3 * lbxAttach->fontMetrics().height() + 8);
    lbxAttach->installEventFilter(this);
    lbxAttach->viewport()->installEventFilter(this);
    reMessage = Named(new QTextEdit(this), "reMessage");
    reMessage->setAcceptRichText(false);
    reMessage->setLineWrapMode(QTextEdit::NoWrap);
    reMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The editor holds at most kMessageMaxLength characters: what goes past is cut off.
    connect(reMessage->document(), &QTextDocument::contentsChange, this,
            [this](int, int, int added) {
                if (added <= 0 || reMessage->document()->characterCount() - 1 <= kMessageMaxLength)
                    return;
                QTextCursor c(reMessage->document());
                c.setPosition(kMessageMaxLength);
                c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
                c.removeSelectedText();
            });
    sbStatus = Named(new QStatusBar(this), "sbStatus");
    sbStatus->setSizeGripEnabled(false);
    lblSecurity = Named(new QLabel(this), "lblSecurity");
    lblSecurity->setContentsMargins(0, 0, 6, 0);
    lblSecurity->setToolTip(
        QStringLiteral("The server did not offer an encrypted connection (STARTTLS)"));
    sbStatus->addPermanentWidget(lblSecurity);

    auto* fields = new QGridLayout;
    fields->addWidget(lblTo, 0, 0);
    fields->addWidget(edtTo, 0, 1);
    fields->addWidget(lblCc, 1, 0);
    fields->addWidget(edtCc, 1, 1);
    fields->addWidget(lblSubject, 2, 0);
    fields->addWidget(edtSubject, 2, 1);
    fields->addWidget(lblAttach, 3, 0, Qt::AlignTop);
    fields->addWidget(lbxAttach, 3, 1);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    l->addWidget(bar);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(6, 2, 6, 2);
    body->addLayout(fields);
    body->addWidget(reMessage, 1);
    l->addLayout(body, 1);
    l->addWidget(sbStatus);

    odAttach.Filter = QStringLiteral("All files (*.*)|*.*");
    odAttach.FileMustExist = true;
    odAttach.PathMustExist = true;
    odAttach.InitialDir = QString::fromStdString(AppDir());
    resize(560, 460);
}

TfrmSendEmail::~TfrmSendEmail() {
    // No worker outlives the window: each is stopped and waited for (a stop ends it at once).
    for (const QPointer<TSMTPThreadSole>& w : workers_)
        if (w) w->Abandon();
    for (const QPointer<TSMTPThreadSole>& w : workers_)
        if (w) delete w.data();
}

// ---- sending ----

void TfrmSendEmail::btnRestoreClick() {
    if (Sending) return;
    btnSendClick();
}

void TfrmSendEmail::btnSendClick() {
    sbStatus->clearMessage();
    SetSendingState(false);
    try {
        StartSendMail(edtTo->text().trimmed());
    } catch (...) {
        SetSendingState(true);
        throw;
    }
    SetSendingState(true);
}

void TfrmSendEmail::SetSendingState(bool done) {
    Sending = !done;
    btnStop->setEnabled(!done);
    Screen::SetCursor(done ? crDefault : crHourGlass);
    if (done) Worker = nullptr;
    else lblSecurity->clear();
    sbStatus->clearMessage();
}

void TfrmSendEmail::StartSendMail(const QString& to) {
    const TMailSettings settings = Settings ? Settings->Fields() : TMailSettings{};
    const TSendCheck check = CheckSend(settings, to);
    if (check == TSendCheck::BlankTo) {
        MessageDlg(SendCheckText(check), MsgType::Error, MsgButtons::OK);
        return;
    }
    if (check == TSendCheck::BlankSettings) {
        MessageDlg(SendCheckText(check), MsgType::Error, MsgButtons::OK);
        if (Settings) ShowModal(*Settings);
        return;
    }
    if (edtSubject->text().isEmpty() &&
        MessageDlg(BlankSubjectQuestion(), MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return;

    const quint64 id = ++lastSend_;
    auto* worker = new TSMTPThreadSole(id, MakeSendJob(settings, edtTo->text(), edtCc->text(),
                                                       edtSubject->text(), reMessage->toPlainText(),
                                                       AttachPaths));
    connect(worker, &TSMTPThreadSole::Reported, this, &TfrmSendEmail::WorkerReported,
            Qt::QueuedConnection);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    workers_.removeAll(nullptr);
    workers_.append(worker);
    currentSend_ = id;
    Worker = worker;
    worker->start();
    WaitForSend();
}

void TfrmSendEmail::WaitForSend() {
    for (int round = 0; round < WaitRounds && Sending; ++round) {
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void TfrmSendEmail::WorkerReported(quint64 sendId, int status, const QString& detail) {
    pending_.push_back({sendId, TSendStatus(status), detail});
    // In order and one at a time: a message box shown for one report holds the next.
    if (!dispatching_) GuardCall([this] { Dispatch(); });
}

void TfrmSendEmail::Dispatch() {
    dispatching_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{dispatching_};
    while (!pending_.empty()) {
        const Pending p = pending_.front();
        pending_.pop_front();
        if (p.id == currentSend_) {
            ShowSendStatus(p.status, p.detail);
            continue;
        }
        // A send the wait gave up on (not one that was stopped) still tells how it ended.
        if (stopped_.count(p.id)) continue;
        if (p.status == TSendStatus::Sent)
            MessageDlg(SendStatusText(p.status), MsgType::Information, MsgButtons::OK);
        else if (p.status == TSendStatus::NotConnected || p.status == TSendStatus::NotSent)
            MessageDlg(SendStatusText(p.status, p.detail), MsgType::Error, MsgButtons::OK);
    }
}

void TfrmSendEmail::ShowSendStatus(TSendStatus status, const QString& detail) {
    const QString text = SendStatusText(status, detail);
    switch (status) {
    case TSendStatus::Connection:
    case TSendStatus::Connected: sbStatus->showMessage(text); break;
    case TSendStatus::NotEncrypted: lblSecurity->setText(text); break;
    case TSendStatus::NotConnected:
    case TSendStatus::NotSent:
        sbStatus->showMessage(text);
        MessageDlg(text, MsgType::Error, MsgButtons::OK);
        Sending = false;
        break;
    case TSendStatus::Sent:
        sbStatus->showMessage(text);
        QApplication::beep();
        MessageDlg(text, MsgType::Information, MsgButtons::OK);
        Sending = false;
        break;
    case TSendStatus::Disconnection:
        sbStatus->clearMessage();
        Sending = false;
        Worker = nullptr;
        currentSend_ = 0;
        break;
    }
}

void TfrmSendEmail::StopSendThread() {
    if (Worker) Worker->Abandon();
    if (currentSend_) stopped_.insert(currentSend_);
    Worker = nullptr;
    currentSend_ = 0;
}

void TfrmSendEmail::btnStopClick() {
    StopSendThread();
    Sending = false;
}

// ---- the message ----

void TfrmSendEmail::btnNewClick() {
    reMessage->clear();
    edtSubject->clear();
    edtTo->clear();
    edtCc->clear();
    lbxAttach->clear();
    AttachPaths.clear();
}

void TfrmSendEmail::AddAttachment() {
    if (!odAttach.Execute()) return;
    const QString path = odAttach.FileName;
    const QFileInfo info(path);
    if (!info.isFile() || AttachPaths.contains(path)) return;
    AttachPaths << path;
    lbxAttach->addItem(info.fileName() + AttachmentSuffix(info.size()));
}

void TfrmSendEmail::lbxAttachDelete() { DeleteSelectedLines(*lbxAttach, &AttachPaths); }

void TfrmSendEmail::btnAddressesClick() {
    if (!Addresses) return;
    const auto fill = [](QListWidget* list, const QString& text) {
        list->clear();
        for (const std::string& piece : mail::SplitRecipientText(text.toStdString()))
            list->addItem(QString::fromStdString(piece));
    };
    fill(Addresses->lbxTo, edtTo->text());
    fill(Addresses->lbxCc, edtCc->text());
    ShowModal(*Addresses);
}

void TfrmSendEmail::btnGenerateClick() {
    if (Generate) ShowModal(*Generate);
}

void TfrmSendEmail::btnMoveToSelPanelClick() {
    if (Settings) ShowModal(*Settings);
}

// ---- the window ----

void TfrmSendEmail::FormShow() { sbStatus->clearMessage(); }

void TfrmSendEmail::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    GuardCall([this] { FormShow(); });
}

void TfrmSendEmail::reject() {
    if (!Sending) QDialog::reject();
}

bool TfrmSendEmail::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lbxAttach && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
        GuardCall([this] { lbxAttachDelete(); });
        return true;
    }
    // A left click on the list where it has no line adds a file.
    if (watched == lbxAttach->viewport() && e->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::LeftButton && !lbxAttach->itemAt(m->position().toPoint())) {
            GuardCall([this] { AddAttachment(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace kiv
