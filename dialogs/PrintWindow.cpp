#include "dialogs/PrintWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/qt/Colors.h"
#include "platform/qt/EditorFile.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/Printer.h"
#include "platform/qt/RtfDocument.h"

namespace kiv {

bool OutlineGenerating = false;

namespace {

QFont EditorFont() { return FontFromStored(QString::fromLatin1(kOutlineFontName), 10); }

// What is typed into an empty editor: Arial, blue.
QTextCharFormat EditorTyping() {
    QTextCharFormat f;
    SetStoredFontName(f, QString::fromLatin1(kOutlineFontName));
    f.setFontPointSize(10);
    f.setForeground(toQColor(clBlue));
    return f;
}

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TfrmPrint::TfrmPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print & Export"));
    // Made with the main window as its parent, it stays above that window (as a window
    // owned by it did), and the dialogs opened over the main window still come above it.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    setMinimumSize(500, 400);
    resize(640, 520);

    gbTopics = Named(new QGroupBox(QStringLiteral(" Topics "), this), "gbTopics");
    rbPanel = Named(new QRadioButton(QStringLiteral("Selected Panel"), gbTopics), "rbPanel");
    rbBranch = Named(new QRadioButton(QStringLiteral("Current Branch"), gbTopics), "rbBranch");
    rbOutline = Named(new QRadioButton(QStringLiteral("Whole Outline"), gbTopics), "rbOutline");
    rbPanel->setChecked(true);
    auto* topics = new QVBoxLayout(gbTopics);
    topics->addWidget(rbPanel);
    topics->addWidget(rbBranch);
    topics->addWidget(rbOutline);

    cbxTopicsNumbers =
        Named(new QCheckBox(QStringLiteral("Topics Numbers"), this), "cbxTopicsNumbers");
    cbxWithTextCard =
        Named(new QCheckBox(QStringLiteral("With TextCard"), this), "cbxWithTextCard");
    cbxFormatting =
        Named(new QCheckBox(QStringLiteral("Original Formatting"), this), "cbxFormatting");
    cbxWithLinks = Named(new QCheckBox(QStringLiteral("Include Links"), this), "cbxWithLinks");
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(cbxTopicsNumbers);
    boxes->addWidget(cbxWithTextCard);
    boxes->addWidget(cbxFormatting);
    boxes->addWidget(cbxWithLinks);
    lblProgress = Named(new QLabel(this), "lblProgress");
    boxes->addWidget(lblProgress);
    boxes->addStretch(1);

    btnGenerate = Named(new QPushButton(QStringLiteral("- Generate -"), this), "btnGenerate");
    btnSaveAs = Named(new QPushButton(QStringLiteral("Save As..."), this), "btnSaveAs");
    btnPrint = Named(new QPushButton(QStringLiteral("Print"), this), "btnPrint");
    btnExit = Named(new QPushButton(QStringLiteral("- Close -"), this), "btnExit");
    for (QPushButton* b : {btnGenerate, btnSaveAs, btnPrint, btnExit}) b->setAutoDefault(false);
    btnSaveAs->setEnabled(false);
    btnPrint->setEnabled(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnGenerate);
    buttons->addWidget(btnSaveAs);
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnExit);
    buttons->addStretch(1);

    reForPrint = Named(new QTextEdit(this), "reForPrint");
    reForPrint->setAcceptRichText(true);
    reForPrint->setFont(EditorFont());
    reForPrint->document()->setDefaultFont(EditorFont());
    reForPrint->setCurrentCharFormat(EditorTyping());
    reForPrint->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    reForPrint->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Text a card left in the automatic colour reads black, as on paper.
    QPalette pal = reForPrint->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    reForPrint->setPalette(pal);

    auto* top = new QHBoxLayout;
    top->addWidget(gbTopics);
    top->addLayout(boxes);
    top->addStretch(1);
    top->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(reForPrint, 1);

    sdSave.DefaultExt = QStringLiteral("txt");
    sdSave.Filter = QStringLiteral("Rich Text File(*.rtf)|*.rtf|Text File(*.txt)|*.txt");
    sdSave.OverwritePrompt = true;

    connect(btnGenerate, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnGenerateClick(); }); });
    connect(btnSaveAs, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnSaveAsClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnPrintClick(); }); });
    connect(btnExit, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnExitClick(); }); });

    // Centred on the desktop.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TfrmPrint::~TfrmPrint() = default;

TOutlineTextOptions TfrmPrint::Options() const {
    TOutlineTextOptions o;
    o.Scope = rbOutline->isChecked()  ? TOutlineScope::Outline
              : rbBranch->isChecked() ? TOutlineScope::Branch
                                      : TOutlineScope::Panel;
    o.TopicsNumbers = cbxTopicsNumbers->isChecked();
    o.WithTextCard = cbxWithTextCard->isChecked();
    o.Formatting = cbxFormatting->isChecked();
    o.WithLinks = cbxWithLinks->isChecked();
    return o;
}

void TfrmPrint::EnableButtons(bool on) {
    for (QPushButton* b : {btnSaveAs, btnPrint, btnGenerate, btnExit}) b->setEnabled(on);
}

void TfrmPrint::btnGenerateClick() {
    if (OutlineGenerating) return;
    struct Reenable {
        TfrmPrint* w;
        ~Reenable() { w->EnableButtons(true); }
    } reenable{this};
    EnableButtons(false);
    GenerateOutlineText(*this, *reForPrint);
}

void TfrmPrint::btnSaveAsClick() { SaveEditorAs(*reForPrint->document(), sdSave); }

void TfrmPrint::btnPrintClick() {
    CursorGuard hourGlass;
    PrintDocument(*reForPrint->document(), CurrentPrinter(), QStringLiteral("Text Card"));
}

void TfrmPrint::btnExitClick() { reject(); }

void TfrmPrint::FormShow() {
    if (Tag != 1) {
        reForPrint->clear();
        reForPrint->setCurrentCharFormat(EditorTyping());
        btnSaveAs->setEnabled(false);
        btnPrint->setEnabled(false);
    }
    if (CloseFindDialog) CloseFindDialog();
    Tag = 0;
}

void TfrmPrint::FormHide() {
    Tag = 0;
    if (CloseFindDialog) CloseFindDialog();
}

void TfrmPrint::reject() {
    if (OutlineGenerating) return;  // the document being built needs the window
    hide();
}

void TfrmPrint::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Restoring from the task bar is no new show.
    if (!e->spontaneous()) GuardCall([this] { FormShow(); });
}

void TfrmPrint::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    if (!e->spontaneous()) GuardCall([this] { FormHide(); });
}

void GenerateOutlineText(TfrmPrint& options, QTextEdit& target) {
    if (OutlineGenerating) return;
    FlagGuard generating(OutlineGenerating);
    CursorGuard hourGlass;
    DisabledWindowGuard disabled(options.MainForm);

    QLabel* progressLabel = options.lblProgress;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const TOutlineProgress progress = [&](int topics) {
        if (sinceEvents.elapsed() < options.ProgressMs) return;
        progressLabel->setText(QStringLiteral("Generating ... %1 topics").arg(topics));
        // Painting and the print window's own input, not what arrives on sockets: a path
        // handed over by a later start would open another datastructure under the walk.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        sinceEvents.restart();
    };
    struct ClearLabel {
        QLabel* l;
        ~ClearLabel() { l->clear(); }
    } clearLabel{progressLabel};

    // Built apart from the editor, so it is laid out once when it is put in.
    auto* doc = new QTextDocument(&target);
    doc->setDefaultFont(EditorFont());
    const auto build = [&] {
        TKivStringGrid* grid = options.CurrentGrid ? options.CurrentGrid() : nullptr;
        if (grid && grid->Nester && PanelsManagerExists())
            BuildOutlineText(*doc, options.Options(), *grid->Nester, PanelsManager().Cards,
                             progress);
    };
    try {
        if (options.RunBusy) {
            options.RunBusy(build);
        } else {
            FlagGuard busy(Busy);
            build();
        }
    } catch (...) {
        delete doc;
        throw;
    }
    doc->clearUndoRedoStacks();
    // The editor's own first document goes with setDocument; ours are deleted here.
    const QPointer<QTextDocument> old = target.document();
    target.setDocument(doc);
    if (old && old != doc && old->parent() == &target) delete old.data();
    target.moveCursor(QTextCursor::Start);
    target.ensureCursorVisible();
}

}  // namespace kiv
