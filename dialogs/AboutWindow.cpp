#include "dialogs/AboutWindow.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "components/FixedVersionInfo.h"
#include "components/HotLabel.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/RtfDocument.h"

// The about text lives in this static library: its resource is registered by hand.
static void InitDialogsResources() { Q_INIT_RESOURCE(dialogs); }

namespace kiv {

namespace {

THotLabel* LinkLabel(const QString& text, const char* name, QWidget* parent) {
    auto* l = new THotLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setText(text);
    l->setTextFormat(Qt::PlainText);
    l->SetHotTrack(true);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    InitDialogsResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About  KIV 2.0"));
    auto* top = new QVBoxLayout(this);

    auto* head = new QHBoxLayout;
    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setFixedSize(48, 48);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) imgLogo->setPixmap(icon.pixmap(48, 48));
    head->addWidget(imgLogo);
    auto* names = new QVBoxLayout;
    lblVersion = new QLabel(QStringLiteral("KIV 2.0"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont big = lblVersion->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    lblVersion->setFont(big);
    lblBuild = new QLabel(this);
    lblBuild->setObjectName(QStringLiteral("lblBuild"));
    lblBuild->setText(
        BuildLabel(FileFlaggedVersionText(QCoreApplication::applicationFilePath(), true)));
    names->addWidget(lblVersion);
    names->addWidget(lblBuild);
    head->addLayout(names, 1);
    top->addLayout(head);

    reAbout = new QTextEdit(this);
    reAbout->setObjectName(QStringLiteral("reAbout"));
    reAbout->setReadOnly(true);
    reAbout->setMinimumSize(420, 240);
    QFile about(QStringLiteral(":/dialogs/about"));
    if (about.open(QIODevice::ReadOnly)) {
        const QByteArray rtf = about.readAll();
        LoadRichText(*reAbout->document(), std::string_view(rtf.constData(), size_t(rtf.size())));
        reAbout->moveCursor(QTextCursor::Start);  // read from the top
    }
    top->addWidget(reAbout, 1);

    lblWebSite = LinkLabel(QString::fromLatin1(kWebSite), "lblWebSite", this);
    lblEmail = LinkLabel(QString::fromLatin1(kEmail), "lblEmail", this);
    lblLatest = LinkLabel(QStringLiteral("Get the latest version"), "lblLatest", this);
    auto* links = new QHBoxLayout;
    for (QLabel* l : {static_cast<QLabel*>(lblWebSite), static_cast<QLabel*>(lblEmail),
                      static_cast<QLabel*>(lblLatest)}) {
        l->installEventFilter(this);
        links->addWidget(l);
    }
    links->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("- OK -"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    links->addWidget(btnOK);
    top->addLayout(links);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

QString TfrmAbout::BuildLabel(const QString& flaggedVersion) {
    const qsizetype i = flaggedVersion.indexOf(QLatin1Char('('));
    return i < 0 ? QString() : flaggedVersion.mid(i);
}

void TfrmAbout::lblWebSiteClick() {
    if (LaunchLink) LaunchLink(QString::fromLatin1(kWebSite));
    if (OnWebSiteOpened) OnWebSiteOpened();
    close();
}

void TfrmAbout::lblEmailClick() {
    if (LaunchLink) LaunchLink(QStringLiteral("mailto:") + lblEmail->text());
    close();
}

void TfrmAbout::lblLatestClick() {
    if (GetLatestVersion) GetLatestVersion();
    close();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        GuardCall([&] {
            if (watched == lblWebSite) lblWebSiteClick();
            else if (watched == lblEmail) lblEmailClick();
            else if (watched == lblLatest) lblLatestClick();
        });
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace kiv
