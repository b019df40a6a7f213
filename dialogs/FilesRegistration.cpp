#include "dialogs/FilesRegistration.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

std::string LocalPath(const QString& text) {
    return QFile::encodeName(text.trimmed()).toStdString();
}

}  // namespace

QString AbsoluteFolder(const QString& typed, const QString& home) {
    QString t = typed.trimmed();
    if (t.isEmpty()) return t;
    if (t == QLatin1String("~")) t = home;
    else if (t.startsWith(QLatin1String("~/"))) t = home + t.mid(1);
    if (QDir::isRelativePath(t)) t = home + QLatin1Char('/') + t;
    return QDir::cleanPath(t);
}

TfrmFilesRegistration::TfrmFilesRegistration(QWidget* parent)
    : QDialog(parent), bfDir(this), source_(std::make_unique<TDiskFolders>()) {
    setObjectName(QStringLiteral("frmFilesRegistration"));
    setWindowTitle(QStringLiteral("Files autoregistration"));
    BuildComponents();
    edtPathChange();
    rbAllFilesClick();
}

TfrmFilesRegistration::~TfrmFilesRegistration() = default;

void TfrmFilesRegistration::SetFolderSource(std::unique_ptr<TFolderSource> source) {
    source_ = std::move(source);
}

void TfrmFilesRegistration::BuildComponents() {
    auto* root = new QVBoxLayout(this);

    auto* info = Named(
        new QLabel(QStringLiteral(
                       "You can automatically register and link up to 50,000 files and folders as "
                       "individual topics.  Press F1 for detailed information on this function."),
                   this),
        "lblInfo");
    info->setWordWrap(true);
    root->addWidget(info);

    root->addWidget(new QLabel(QStringLiteral("Initial Folder:"), this));
    auto* pathRow = new QHBoxLayout;
    edtPath = Named(new QLineEdit(this), "edtPath");
    edtPath->setMinimumWidth(300);
    btnSetDir = Named(new QPushButton(QStringLiteral("Choose Folder..>"), this), "btnSetDir");
    pathRow->addWidget(edtPath, 1);
    pathRow->addWidget(btnSetDir);
    root->addLayout(pathRow);

    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    cbxWithSubDirs =
        Named(new QCheckBox(QStringLiteral("Include Sub-folders"), this), "cbxWithSubDirs");
    cbxWithSubDirs->setChecked(true);
    cbxHtmlTitles =
        Named(new QCheckBox(QStringLiteral("Use HTML page titles"), this), "cbxHtmlTitles");
    checks->addWidget(cbxWithSubDirs);
    checks->addWidget(cbxHtmlTitles);
    checks->addStretch(1);
    options->addLayout(checks);

    gbFileTypes = Named(new QGroupBox(QStringLiteral(" File types "), this), "gbFileTypes");
    auto* types = new QGridLayout(gbFileTypes);
    rbAllFiles = Named(new QRadioButton(QStringLiteral("All types"), gbFileTypes), "rbAllFiles");
    rbAllFiles->setChecked(true);
    rbSelectedFiles =
        Named(new QRadioButton(QStringLiteral("Selected types"), gbFileTypes), "rbSelectedFiles");
    edtFileTypes = Named(new QLineEdit(gbFileTypes), "edtFileTypes");
    lblExample = Named(new QLabel(QStringLiteral("example"), gbFileTypes), "lblExample");
    lblExampleTypes =
        Named(new QLabel(QStringLiteral("txt,doc,htm,html"), gbFileTypes), "lblExampleTypes");
    types->addWidget(rbAllFiles, 0, 0, 1, 2);
    types->addWidget(rbSelectedFiles, 1, 0);
    types->addWidget(edtFileTypes, 1, 1);
    types->addWidget(lblExample, 2, 0, Qt::AlignRight);
    types->addWidget(lblExampleTypes, 2, 1);
    options->addWidget(gbFileTypes, 1);
    root->addLayout(options);

    auto* counts = new QGridLayout;
    counts->addWidget(new QLabel(QStringLiteral("Found Files or Folders:"), this), 0, 0);
    lblFoundFiles = Named(new QLabel(QStringLiteral("0"), this), "lblFoundFiles");
    counts->addWidget(lblFoundFiles, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("Registered: "), this), 1, 0);
    lblRegistered = Named(new QLabel(QStringLiteral("0"), this), "lblRegistered");
    counts->addWidget(lblRegistered, 1, 1);
    lblSkipped = Named(new QLabel(this), "lblSkipped");
    lblSkipped->hide();
    counts->addWidget(lblSkipped, 2, 0, 1, 2);
    counts->setColumnStretch(1, 1);
    root->addLayout(counts);

    auto* buttons = new QHBoxLayout;
    btnTestDir = Named(new QPushButton(QStringLiteral("- Scan Now -"), this), "btnTestDir");
    btnRegisterFiles =
        Named(new QPushButton(QStringLiteral("- Register files -"), this), "btnRegisterFiles");
    btnStop = Named(new QPushButton(QStringLiteral("- Stop -"), this), "btnStop");
    btnStop->setEnabled(false);
    btnClose = Named(new QPushButton(QStringLiteral("- Close -"), this), "btnClose");
    for (QPushButton* b : {btnTestDir, btnRegisterFiles, btnStop, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    const auto on = [this](QAbstractButton* b, void (TfrmFilesRegistration::*handler)()) {
        connect(b, &QAbstractButton::clicked, this,
                [this, handler] { GuardCall([this, handler] { (this->*handler)(); }); });
    };
    on(btnSetDir, &TfrmFilesRegistration::btnSetDirClick);
    on(btnTestDir, &TfrmFilesRegistration::btnTestDirClick);
    on(btnRegisterFiles, &TfrmFilesRegistration::btnRegisterFilesClick);
    on(btnStop, &TfrmFilesRegistration::btnStopClick);
    on(btnClose, &TfrmFilesRegistration::btnCloseClick);
    on(rbAllFiles, &TfrmFilesRegistration::rbAllFilesClick);
    on(rbSelectedFiles, &TfrmFilesRegistration::rbAllFilesClick);
    connect(edtPath, &QLineEdit::textEdited, this,
            [this] { GuardCall([this] { edtPathChange(); }); });
}

// ---- handlers ----

void TfrmFilesRegistration::edtPathChange() {
    const bool any = !edtPath->text().isEmpty();
    btnTestDir->setEnabled(any && !busy_);
    btnRegisterFiles->setEnabled(any && !busy_);
}

void TfrmFilesRegistration::rbAllFilesClick() {
    const bool selected = rbSelectedFiles->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(edtFileTypes), static_cast<QWidget*>(lblExample),
                       static_cast<QWidget*>(lblExampleTypes)})
        w->setEnabled(selected);
    if (selected && isVisible()) edtFileTypes->setFocus();
}

void TfrmFilesRegistration::btnSetDirClick() {
    if (busy_) return;
    if (!bfDir.Execute()) return;
    if (QFileInfo(bfDir.FolderName).isDir()) {
        path_ = LocalPath(bfDir.FolderName);
        edtPath->setText(bfDir.FolderName);
        edtPathChange();
        return;
    }
    path_.clear();
    lblFoundFiles->setText(QStringLiteral("0"));
    lblRegistered->setText(QStringLiteral("0"));
    btnRegisterFiles->setEnabled(false);
    btnTestDir->setEnabled(false);
    MessageDlg(QStringLiteral("This object can't be initial forlder, please select another one"),
               MsgType::Error, MsgButtons::OK);
}

void TfrmFilesRegistration::BuildTypeList() {
    types_ = rbSelectedFiles->isChecked() ? ParseFileTypes(edtFileTypes->text().toStdString())
                                          : std::vector<std::string>{};
}

TRegistrationOptions TfrmFilesRegistration::Options() const {
    return {cbxWithSubDirs->isChecked(), cbxHtmlTitles->isChecked(), types_};
}

TRegistrationHooks TfrmFilesRegistration::Hooks() {
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    TRegistrationHooks h;
    h.ProcessMessages = [this, since] {
        if (since->elapsed() < ProgressMs) return;
        // Painting and this window's own input, not what arrives on sockets: a path handed
        // over by a later start would open another datastructure under the build.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        since->restart();
    };
    h.ShowFound = [this](int n) { lblFoundFiles->setText(QString::number(n)); };
    h.ShowRegistered = [this](int n) { lblRegistered->setText(QString::number(n)); };
    h.StopRequested = [this] { return stop_; };
    return h;
}

void TfrmFilesRegistration::Busied(const std::function<void()>& work) {
    FlagGuard busy(busy_);
    CursorGuard hourGlass;
    if (RunBusy) RunBusy(work);
    else work();
}

void TfrmFilesRegistration::ShowSkipped(int skipped) {
    lblSkipped->setText(
        QStringLiteral("Skipped folders (unreadable, or leading back into the tree): %1")
            .arg(skipped));
    lblSkipped->setVisible(skipped > 0);
}

int TfrmFilesRegistration::Scan(bool& stopped) {
    int found = 0;
    stop_ = false;
    stopped = false;
    struct StopOff {
        QPushButton* b;
        ~StopOff() { b->setEnabled(false); }
    } stopOff{btnStop};
    Busied([&] {
        // A count can be long too (a whole file system): Stop ends it.
        btnStop->setEnabled(true);
        BuildTypeList();
        path_ = LocalPath(AbsoluteFolder(edtPath->text(), QDir::homePath()));
        TFileRegistrar r(*source_, Options(), Hooks());
        found = r.CountFiles(path_, true);
        stopped = r.Stopped();
        ShowSkipped(r.Skipped());
    });
    return found;
}

void TfrmFilesRegistration::btnTestDirClick() {
    if (busy_) return;
    bool stopped = false;
    Scan(stopped);
}

void TfrmFilesRegistration::btnRegisterFilesClick() {
    if (busy_) return;
    bool stopped = false;
    const int n = Scan(stopped);
    if (stopped) return;
    if (n == 0) {
        MessageDlg(QStringLiteral("No files were found to register."), MsgType::Information,
                   MsgButtons::OK);
        return;
    }
    if (n > kMaxRegisteredEntries) {
        MessageDlg(QStringLiteral(
                       "Can't register! Too many found files, please select another folder."),
                   MsgType::Warning, MsgButtons::OK);
        btnRegisterFiles->setEnabled(false);
        return;
    }
    if (n > kAskAboveEntries &&
        MessageDlg(
            QStringLiteral(
                "Alert! It was found %1 files, you may conceivably experience file management "
                "difficulties if you link this number of files.\r\nDo you want to proceed in any case?")
                .arg(n),
            MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return;
    TKivStringGrid* grid = CurrentGrid ? CurrentGrid() : nullptr;
    if (!grid || !grid->Nester || !grid->Nester->NestFile() || !grid->Nester->CardFile()) return;

    lblRegistered->setText(QStringLiteral("0"));
    int registered = 0, skipped = 0;
    {
        struct Restore {
            TfrmFilesRegistration* w;
            ~Restore() {
                w->btnStop->setEnabled(false);
                w->btnClose->setEnabled(true);
                w->edtPathChange();
            }
        } restore{this};
        btnClose->setEnabled(false);
        btnTestDir->setEnabled(false);
        btnRegisterFiles->setEnabled(false);
        stop_ = false;
        Busied([&] {
            btnStop->setEnabled(true);
            TFileRegistrar r(*source_, Options(), Hooks());
            Build(*grid, r);
            registered = r.Registered();
            skipped = r.Skipped();
            ShowSkipped(skipped);
        });
    }
    QString done =
        QStringLiteral("Auto-registration complete.  %1 new topics were created.").arg(registered);
    if (skipped > 0)
        done +=
            QStringLiteral(
                "\r\n%1 folders were skipped: they could not be read, or led back into the tree.")
                .arg(skipped);
    MessageDlg(done, MsgType::Information, MsgButtons::OK);
}

void TfrmFilesRegistration::Build(TKivStringGrid& grid, TFileRegistrar& r) {
    TNester& model = *grid.Nester;
    BlockFile* nests = model.NestFile();
    TCards cards;
    cards.SetCardFile(model.CardFile());
    int folderRow = -1;
    const auto insert = [&](const TNestItem& item) -> TTopicSlot {
        const int current = model.CurrentRow();
        int pos = 0, offset = 0;
        if (model.ValidRow(current)) {
            pos = model.NextSibling(current, true);
            offset = current - pos;
        }
        if (grid.InsertTopics({item}, pos, true, true, offset) == 0) return {};
        folderRow = model.CurrentRow();
        if (!model.ValidRow(folderRow)) return {};
        // The slot is found by its new card directory, whatever the panel shows.
        const uint32_t parent = model.ParentNest(folderRow);
        TItemArray items;
        ReadNestItems(nests, parent, items);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].CardDir == item.CardDir) return {parent, int(i)};
        return {};
    };
    const auto linked = [&] {
        if (!model.ValidRow(folderRow)) return;
        ReloadRow(model, folderRow);
        grid.DrawRow(folderRow);
    };
    r.BuildFileTopics(nests, cards, path_, insert, linked);
    if (PanelsManagerExists()) PanelsManager().RefreshPanelsFrom(grid.Tag);
}

void TfrmFilesRegistration::btnCloseClick() { reject(); }

void TfrmFilesRegistration::reject() {
    if (busy_) return;
    hide();
}

void TfrmFilesRegistration::FormShow() {
    if (MainForm) MainForm->setEnabled(false);
}

void TfrmFilesRegistration::FormHide() {
    if (MainForm) MainForm->setEnabled(true);
}

void TfrmFilesRegistration::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) GuardCall([this] { FormShow(); });
}

void TfrmFilesRegistration::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    if (!e->spontaneous()) GuardCall([this] { FormHide(); });
}

}  // namespace kiv
