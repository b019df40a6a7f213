#include "mainwindow/browser/Browser.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <exception>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/browser/LinkDrag.h"
#include "platform/core/KivStrings.h"
#include "platform/core/MiskPro.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/BrowserPane.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

const char* const kVisitedLinks = "VisitedLinks";

// The link image: a chain link, dragged out as the page's address.
QPixmap LinkPicture() {
    QPixmap pm(22, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0x00, 0x40, 0xB0), 2));
    p.drawRoundedRect(QRectF(2, 5, 10, 6), 3, 3);
    p.drawRoundedRect(QRectF(10, 5, 10, 6), 3, 3);
    return pm;
}

QToolButton* Button(QWidget* parent, const char* name, const QString& hint) {
    auto* b = Named(new QToolButton(parent), name);
    b->setText(hint);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

void SetFlexibleHeight(QWidget* w) {
    w->setMinimumHeight(0);
    w->setMaximumHeight(QWIDGETSIZE_MAX);
}

// A link or page address as it compares: "||" resolved, file addresses as paths, web
// addresses in their normal form without a trailing slash.
QString ComparableAddress(const std::string& link) {
    std::string t = Trim(link);
    if (StartsText("||", t)) t = ResolveStoredPath(t, RelativePathBase());
    if (StartsText("file:", t)) t = URLToPath(t);
    const QString text = StoredToText(t);
    if (text.startsWith(QLatin1Char('/'))) return text;
    return QUrl::fromUserInput(text).adjusted(QUrl::StripTrailingSlash).toString();
}

}  // namespace

TBrowser::TBrowser(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      launch_(ctx.Published()),
      resourceBin_(ctx.Published()),
      layouts_(ctx.Published()) {
    ctx.Published().Publish<IBrowser>(*this);
}

TBrowser::~TBrowser() = default;

void TBrowser::BuildComponents() {
    TWindowSkeleton& k = ctx_.Skeleton();
    // The browser over the splitter over the text card.
    if (auto* cards = qobject_cast<QBoxLayout*>(k.pnlCards->layout())) {
        cards->removeWidget(k.pnlBrowser);
        cards->removeWidget(k.Splitter3);
        cards->insertWidget(0, k.pnlBrowser, 1);
        cards->insertWidget(1, k.Splitter3);
    }
    splitter3_ = k.Splitter3;
    textPane_ = k.pnlSimpleText;
    k.Splitter3->setCursor(Qt::SizeVerCursor);
    k.Splitter3->installEventFilter(this);
    auto* pane = VBox(k.pnlBrowser);
    pnlBrowserBar = Panel(k.pnlBrowser, "pnlBrowserBar");
    pane->addWidget(pnlBrowserBar);
    pnlWeb = Panel(k.pnlBrowser, "pnlWeb");
    VBox(pnlWeb);
    pane->addWidget(pnlWeb, 1);
    BuildBar();
    BuildActions();
    QString why;
    // The launch card's links show here while a browser can be made.
    if (GetBrowserEngine().Available(why))
        launch_->SetBrowser([this](const std::string& address, bool makeRoom) {
            return OpenLink(address, makeRoom);
        });
    else whyNot_ = why;
}

void TBrowser::BuildBar() {
    QWidget* bar = pnlBrowserBar;
    auto* row = HBox(bar);
    btnWebBack = Button(bar, "btnWebBack", QStringLiteral("Go Back"));
    btnWebForward = Button(bar, "btnWebForward", QStringLiteral("Go Forward"));
    btnWebStop = Button(bar, "btnWebStop", QStringLiteral("Stop"));
    btnRefresh = Button(bar, "btnRefresh", QStringLiteral("Refresh"));
    for (QToolButton* b : {btnWebBack, btnWebForward, btnWebStop, btnRefresh}) {
        b->setEnabled(false);
        row->addWidget(b);
    }
    cbxBrowser = Named(new QComboBox(bar), "cbxBrowser");
    cbxBrowser->setEditable(true);
    cbxBrowser->setInsertPolicy(QComboBox::NoInsert);
    cbxBrowser->setMaxVisibleItems(kMaxVisitedLinks);
    boxEdit_ = cbxBrowser->lineEdit();
    // The keys go to the box, which holds the focus and hands them to its line edit.
    cbxBrowser->installEventFilter(this);
    boxEdit_->installEventFilter(this);
    row->addWidget(cbxBrowser, 1);
    btnGo = Button(bar, "btnGo", QStringLiteral("Go"));
    btnOpenFileInBrowser = Button(bar, "btnOpenFileInBrowser", QStringLiteral("Open File"));
    btnPrint = Button(bar, "btnPrint", QStringLiteral("Print"));
    btnBrtoExt = Button(bar, "btnBrtoExt", QStringLiteral("Open link in external application"));
    btnBrtoExt->setText(QStringLiteral("External"));
    btnMaximizeBrowser = Button(bar, "btnMaximizeBrowser", QStringLiteral("Maximize Browser"));
    SetPaneGlyph(btnMaximizeBrowser, kNormalGlyph);
    btnCloseBrowser = Button(bar, "btnCloseBrowser", QStringLiteral("Close Browser"));
    btnCloseBrowser->setIcon(
        btnCloseBrowser->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    btnPrint->setEnabled(false);
    btnBrtoExt->setEnabled(false);
    imgLink = Named(new QLabel(bar), "imgLink");
    imgLink->setPixmap(LinkPicture());
    imgLink->setToolTip(QStringLiteral("Drag and Drop this Link"));
    imgLink->setContextMenuPolicy(Qt::CustomContextMenu);
    imgLink->installEventFilter(this);
    imgLink->hide();
    for (QWidget* w :
         std::initializer_list<QWidget*>{btnGo, btnOpenFileInBrowser, btnPrint, btnBrtoExt,
                                         btnMaximizeBrowser, btnCloseBrowser, imgLink})
        row->addWidget(w);

    auto click = [this](QToolButton* b, std::function<void()> f) {
        connect(b, &QToolButton::clicked, this, [f = std::move(f)] { GuardCall(f); });
    };
    click(btnWebBack, [this] {
        if (pane_) pane_->GoBack();
    });
    click(btnWebForward, [this] {
        if (pane_) pane_->GoForward();
    });
    click(btnWebStop, [this] {
        if (pane_) pane_->Stop();
    });
    click(btnRefresh, [this] {
        if (pane_) pane_->Refresh();
    });
    click(btnGo, [this] { Navigate(); });
    click(btnPrint, [this] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (pane_) pane_->Print();
    });
    click(btnOpenFileInBrowser, [this] {
        TOpenDialog od;
        od.Filter = QStringLiteral("All files (*.*)|*.*");
        od.FileMustExist = true;
        if (od.Execute() && !od.Files.isEmpty())
            launch_->LaunchLink(TextToStored(od.Files.first()), false, true);
    });
    click(btnBrtoExt, [this] {
        if (!pane_ || pane_->LocationURL().isEmpty()) return;
        launch_->LaunchLink(URLToPath(TextToStored(pane_->LocationURL())), false, false);
    });
    click(btnMaximizeBrowser, [this] { btnMaximizeBrowserClick(); });
    click(btnCloseBrowser, [this] { acOpenBrowserExecute(); });
    // A choice from the list. The box also "activates" the item that matches its text when
    // the focus leaves it, and after a load that is the page on show: no second load.
    connect(cbxBrowser, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (pane_ && cbxBrowser->itemText(index) == pane_->LocationURL()) return;
        GuardCall([this] { Navigate(); });
    });
}

void TBrowser::BuildActions() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acOpenBrowser = Action(w, "acOpenBrowser", QStringLiteral("Show KIV Browser"), true);
    acOpenBrowser->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    acOpenBrowser->setStatusTip(acOpenBrowser->text());
    SetImageIndex(acOpenBrowser, 16);
    acOpenBrowser->OnExecute = [this](KivAction*) { acOpenBrowserExecute(); };
    acShowTextCard = Action(w, "acShowTextCard", QStringLiteral("Text Card"), true);
    acShowTextCard->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    acShowTextCard->SetChecked(true);
    acShowTextCard->OnExecute = [this](KivAction*) { acShowTextCardExecute(); };
    NavigateAction = Action(w, "Navigate", QStringLiteral("Navigate"));
    NavigateAction->OnExecute = [this](KivAction*) { Navigate(); };

    acAddWebLinkToCurrentTopic = Action(w, "acAddWebLinkToCurrentTopic",
                                        QStringLiteral("Add browser web link to selected topic"));
    acAddWebLinkToCurrentTopic->OnExecute = [this](KivAction*) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        const int row = ctx_.CurrentRow();
        if (g && g->IsRowValid(row) && !g->Nester->IsLocked(row)) AddBrowserLinkToTopic(false);
    };
    acAddWebLinkToNewTopic =
        Action(w, "acAddWebLinkToNewTopic", QStringLiteral("Add browser web link to new topic"));
    acAddWebLinkToNewTopic->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    SetImageIndex(acAddWebLinkToNewTopic, 70);
    acAddWebLinkToNewTopic->SetEnabled(false);
    acAddWebLinkToNewTopic->OnExecute = [this](KivAction*) { AddBrowserLinkToTopic(true); };
    acAddWebLinkToNewTopic->OnUpdate = [this](KivAction*) { UpdateAddActions(); };
    acAddWebLinkToCurrentTopic->SetEnabled(false);
    acAddWebLinkToCurrentTopic->OnUpdate = [this](KivAction*) { UpdateAddActions(); };
    for (KivAction* a : {acOpenBrowser, acShowTextCard, acAddWebLinkToNewTopic}) w->addAction(a);

    pmUrlLink = Named(new QMenu(w), "pmUrlLink");
    QAction* toBin = pmUrlLink->addAction(QStringLiteral("Add link to Resource Card"));
    toBin->setObjectName(QStringLiteral("AddlinktoResourceCard1"));
    connect(toBin, &QAction::triggered, this,
            [this] { GuardCall([this] { AddLinkToResourceCard(); }); });
    QAction* toTopic = pmUrlLink->addAction(QStringLiteral("Add link to selected topic"));
    connect(toTopic, &QAction::triggered, acAddWebLinkToCurrentTopic,
            [this] { GuardCall([this] { acAddWebLinkToCurrentTopic->Execute(); }); });
    QAction* toNew = pmUrlLink->addAction(QStringLiteral("Add link to new topic"));
    connect(toNew, &QAction::triggered, acAddWebLinkToNewTopic,
            [this] { GuardCall([this] { acAddWebLinkToNewTopic->Execute(); }); });
    connect(pmUrlLink, &QMenu::aboutToShow, this, [this, toTopic, toNew] {
        UpdateAddActions();
        toTopic->setEnabled(acAddWebLinkToCurrentTopic->isEnabled());
        toNew->setEnabled(acAddWebLinkToNewTopic->isEnabled());
    });
    connect(imgLink, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmUrlLink->popup(imgLink->mapToGlobal(pos)); });

    k.View1->addAction(acOpenBrowser);
    k.View1->addAction(acShowTextCard);
    k.Cards1->addAction(acAddWebLinkToCurrentTopic);
    k.Cards1->addAction(acAddWebLinkToNewTopic);
}

void TBrowser::Subscribe(TWindowEvents& events) {
    // Another datastructure opened beside the page: the caption keeps naming the page.
    events.DatastructureOpened.Subscribe([this] {
        if (pane_ && isShown(ctx_.Skeleton().pnlBrowser) && !pane_->LocationName().isEmpty())
            TitleChange(pane_->LocationName());
    });
}

// ---- the pane ----

bool TBrowser::MakePane() {
    if (pane_) return true;
    QString why;
    if (GetBrowserEngine().Available(why)) {
        try {
            pane_ = GetBrowserEngine().Make(pnlWeb);
        } catch (const std::exception& ex) {
            why = QString::fromUtf8(ex.what());
        }
        if (!pane_ && why.isEmpty()) why = QStringLiteral("the browser engine did not start");
    }
    if (!pane_) {
        whyNot_ = why;
        acOpenBrowser->Tag = 1;
        launch_->SetBrowser({});
        return false;
    }
    pnlWeb->layout()->addWidget(pane_->Widget());
    pane_->OnBeforeNavigate = [this](const QString& url) {
        GuardCall([&] { BeforeNavigate(url); });
    };
    pane_->OnTitleChange = [this](const QString& t) { GuardCall([&] { TitleChange(t); }); };
    pane_->OnStatusTextChange = [this](const QString& t) {
        GuardCall([&] { StatusTextChange(t); });
    };
    pane_->OnDocumentComplete = [this](bool ok) { GuardCall([&] { DocumentComplete(ok); }); };
    pane_->OnCommandStateChange = [this](int c, bool e) {
        GuardCall([&] { CommandStateChange(c, e); });
    };
    return true;
}

void TBrowser::ShowWarning() {
    MessageDlg(QStringLiteral("The KIV browser cannot be shown: %1.\r\nWeb addresses and "
                              "documents open in the desktop's web browser instead.")
                   .arg(whyNot_),
               MsgType::Warning, MsgButtons::OK);
}

QString TBrowser::FileCaption() const {
    const TBookMarkPtr& mark = ctx_.Open().BookMark;
    if (!mark || mark->Path.empty()) return QStringLiteral("KIV");
    return QStringLiteral("KIV - ") + QFileInfo(StoredToText(mark->Path)).fileName();
}

void TBrowser::acOpenBrowserExecute() {
    if (acOpenBrowser->Tag == 1 || !MakePane()) {
        ShowWarning();
        return;
    }
    TWindowSkeleton& k = ctx_.Skeleton();
    if (k.pnlCards->isHidden()) layouts_->HideOrShowCardPane();
    QString verb;
    if (isShown(k.pnlBrowser)) {
        if (pane_->Busy()) pane_->Stop();
        k.pnlBrowser->hide();
        k.Splitter3->hide();
        SetFlexibleHeight(k.pnlSimpleText);
        k.pnlSimpleText->show();
        if (isShown(k.pnlCards)) acShowTextCard->SetChecked(true);
        if (!layouts_->OutlinerShown()) layouts_->HideOrShowOutliner();
        ctx_.Window().setWindowTitle(FileCaption());
        ctx_.ShowStatusHint(QString());
        verb = QStringLiteral("Show");
    } else {
        verb = QStringLiteral("Hide");
        k.pnlBrowser->show();
        if (acShowTextCard->Checked()) acShowTextCardExecute();
        k.Splitter3->hide();
        k.pnlSimpleText->hide();
    }
    acOpenBrowser->SetChecked(isShown(k.pnlBrowser));
    acOpenBrowser->setText(ReplaceCaptionVerb(acOpenBrowser->text(), verb));
    acOpenBrowser->setStatusTip(acOpenBrowser->text());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TBrowser::acShowTextCardExecute() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (k.pnlBrowser->isHidden()) {
        // The text card alone fills the pane: the pane's own command shows or hides it, and
        // the check mark stays with what is shown.
        acShowTextCard->SetChecked(!acShowTextCard->Checked());
        layouts_->HideOrShowCardPane();
        return;
    }
    acShowTextCard->SetChecked(!acShowTextCard->Checked());
    if (acShowTextCard->Checked()) {
        int height = 100;
        if (k.pnlCards->height() < 150) {
            if (k.Splitter1) {
                QList<int> sizes = k.Splitter1->sizes();
                const int i = k.Splitter1->indexOf(k.pnlCards);
                int total = 0;
                for (int s : sizes) total += s;
                if (i >= 0 && sizes.size() == 2) {
                    sizes[i] = 150;
                    sizes[1 - i] = std::max(0, total - 150);
                    k.Splitter1->setSizes(sizes);
                }
            }
            k.pnlCards->resize(k.pnlCards->width(), 150);
            height = 70;
        }
        k.pnlSimpleText->setFixedHeight(height);
        k.pnlSimpleText->show();
        k.Splitter3->show();
        btnMaximizeBrowser->setToolTip(QStringLiteral("Maximize Browser"));
        SetPaneGlyph(btnMaximizeBrowser, kNormalGlyph);
    } else {
        k.Splitter3->hide();
        k.pnlSimpleText->hide();
        if (k.pnlKiv->isHidden()) {
            btnMaximizeBrowser->setToolTip(QStringLiteral("Restore Browser"));
            SetPaneGlyph(btnMaximizeBrowser, kMaximizeGlyph);
        }
    }
}

bool TBrowser::OpenLink(const std::string& address, bool makeRoom) {
    if (acOpenBrowser->Tag == 1) return false;
    if (ctx_.Skeleton().pnlBrowser->isHidden()) acOpenBrowserExecute();
    if (!pane_) return false;
    try {
        pane_->Navigate(StoredToText(address));
    } catch (const std::exception&) {
        // A navigation that cannot start leaves the pane as it was.
    }
    if (makeRoom && isShown(ctx_.Skeleton().pnlBrowser)) {
        if (layouts_->OutlinerShown()) layouts_->HideOrShowOutliner();
        if (acShowTextCard->Checked()) acShowTextCardExecute();
        if (KivAction* bins = ctx_.Actions().Find(QStringLiteral("acCloseBins"))) bins->Execute();
    }
    return true;
}

bool TBrowser::BrowserShown() const {
    const TWindowSkeleton& k = ctx_.Skeleton();
    return isShown(k.pnlCards) && isShown(k.pnlBrowser);
}

bool TBrowser::TextCardShown() const {
    const TWindowSkeleton& k = ctx_.Skeleton();
    return isShown(k.pnlCards) && isShown(k.pnlSimpleText);
}

bool TBrowser::IsShowing(const std::string& link) const {
    if (!pane_ || pane_->LocationURL().isEmpty() || Trim(link).empty()) return false;
    return ComparableAddress(TextToStored(pane_->LocationURL()))
               .compare(ComparableAddress(link), Qt::CaseInsensitive) == 0;
}

void TBrowser::btnMaximizeBrowserClick() {
    layouts_->HideOrShowOutliner();
    if (BrowserShown() && TextCardShown()) acShowTextCardExecute();
}

void TBrowser::OutlinerShownChanged(bool shown) {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (shown) {
        btnMaximizeBrowser->setToolTip(QStringLiteral("Maximize Browser"));
        SetPaneGlyph(btnMaximizeBrowser, kNormalGlyph);
        return;
    }
    // The pane now fills the window: a text card that took nearly all of it leaves the
    // browser a view.
    if (BrowserShown() && TextCardShown()) {
        if (k.pnlSimpleText->height() >= k.pnlCards->height() - 50) SetTextCardHeight(25);
        k.Splitter3->show();
    }
    btnMaximizeBrowser->setToolTip(QStringLiteral("Restore Browser"));
    SetPaneGlyph(btnMaximizeBrowser, kMaximizeGlyph);
}

void TBrowser::SetTextCardHeight(int height) {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (!BrowserShown() || !TextCardShown()) return;
    // The browser keeps a strip above it, as a drag of the splitter leaves it.
    const int most = std::max(25, k.pnlCards->height() - 30);
    k.pnlSimpleText->setFixedHeight(std::clamp(height, 25, most));
}

void TBrowser::Navigate() {
    if (!pane_ && !isShown(ctx_.Skeleton().pnlBrowser)) acOpenBrowserExecute();
    if (!pane_) return;
    const QString address = cbxBrowser->currentText().trimmed();
    if (address.isEmpty()) return;
    BrowserTag = 1;
    pane_->Navigate(address);
}

// ---- the browser's events ----

void TBrowser::BeforeNavigate(const QString& url) {
    if (BrowserTag == 1 && !url.isEmpty() && cbxBrowser->findText(url, Qt::MatchExactly) < 0) {
        const QString typed = cbxBrowser->currentText();
        cbxBrowser->insertItem(0, url);
        while (cbxBrowser->count() > kMaxVisitedLinks)
            cbxBrowser->removeItem(cbxBrowser->count() - 1);
        cbxBrowser->setEditText(typed);
    }
    BrowserTag = 0;
    ctx_.Window().setWindowTitle(QStringLiteral("KIV"));
    imgLink->show();
}

void TBrowser::TitleChange(const QString& title) {
    if (isShown(ctx_.Skeleton().pnlBrowser))
        ctx_.Window().setWindowTitle(QStringLiteral("KIV:> ") + title);
}

void TBrowser::StatusTextChange(const QString& text) {
    if (isShown(ctx_.Skeleton().pnlBrowser)) ctx_.ShowStatusHint(text);
}

void TBrowser::DocumentComplete(bool ok) {
    // A navigation refused before it started leaves no typed address pending.
    BrowserTag = 0;
    cbxBrowser->setEditText(pane_->LocationURL());
    imgLink->show();
    btnBrtoExt->setEnabled(true);
    btnRefresh->setEnabled(true);
    btnPrint->setEnabled(true);
    if (!ok && isShown(ctx_.Skeleton().pnlBrowser))
        ctx_.ShowStatusHint(
            QStringLiteral("The page could not be loaded: ") +
            (pane_->LocationURL().isEmpty() ? cbxBrowser->currentText() : pane_->LocationURL()));
    // The keys go on to the outline, not into the page.
    if (ctx_.Window().isActiveWindow() && isShown(ctx_.Skeleton().pnlKiv))
        if (TKivStringGrid* g = ctx_.CurrentGrid()) g->setFocus();
}

void TBrowser::CommandStateChange(int command, bool enable) {
    switch (command) {
    case TBrowserPane::kCommandUpdate: btnWebStop->setEnabled(pane_ && pane_->Busy()); break;
    case TBrowserPane::kCommandForward: btnWebForward->setEnabled(enable); break;
    case TBrowserPane::kCommandBack: btnWebBack->setEnabled(enable); break;
    default: break;
    }
}

// ---- the page into topics and the Resource Bin ----

void TBrowser::UpdateAddActions() {
    const bool page = acOpenBrowser->Checked() && pane_ && !pane_->LocationURL().isEmpty();
    acAddWebLinkToCurrentTopic->SetEnabled(page);
    acAddWebLinkToNewTopic->SetEnabled(page);
}

void TBrowser::AddLinkToResourceCard() {
    // The page as the browser has it, not what was typed into the box.
    if (!pane_) return;
    const QString url = pane_->LocationURL();
    if (url.isEmpty()) return;
    QString title = pane_->LocationName().trimmed();
    if (title.isEmpty()) title = url;
    resourceBin_->AddLaunchBinLines({url + QChar(0x01) + title});
}

void TBrowser::AddBrowserLinkToTopic(bool newTopic) {
    if (!pane_) return;
    const QString url = pane_->LocationURL();
    QString title = pane_->LocationName();
    if (url.isEmpty()) return;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    if (newTopic) {
        const int row = g->CurrentRow();
        const int at =
            g->IsRowValid(row) ? g->Nester->NextSibling(row, true) : g->Nester->RowCount();
        if (g->InsertTopics(TItemArray{TNestItem{}}, at, true, true, 0) == 0) return;
    }
    if (title.isEmpty()) title = url;
    launch_->AddLinksToTopic(g, g->CurrentRow(),
                             TextToStored(url) + '\x01' + TextToStored(title) + "\r\n");
    PanelsManager().RefreshPanelsFrom(g->Tag);
    if (g->Editing() && g->CaptionEditor) g->CaptionEditor->setFocus();
    else g->setFocus();
    g->DrawRow(g->CurrentRow());
}

void TBrowser::DragLink() {
    if (!pane_) return;
    DragBrowserLink(TextToStored(pane_->LocationURL()), TextToStored(pane_->LocationName()));
}

// ---- visited links ----

void TBrowser::LoadVisitedLinks() {
    if (!KivIniOpen()) return;
    cbxBrowser->clear();
    // In the order the lines stand in the file.
    for (const std::string& line : KivIni().ReadSectionValues(kVisitedLinks)) {
        const size_t eq = line.find('=');
        const std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
        if (cbxBrowser->count() < kMaxVisitedLinks) cbxBrowser->addItem(StoredToText(value));
    }
    cbxBrowser->setEditText(QString());
}

void TBrowser::SaveVisitedLinks() {
    if (!KivIniOpen()) return;
    IniFile& ini = KivIni();
    ini.EraseSection(kVisitedLinks);
    for (int i = 0; i < cbxBrowser->count(); ++i)
        ini.WriteString(kVisitedLinks, std::to_string(i), TextToStored(cbxBrowser->itemText(i)));
}

// ---- keys and mouse ----

bool TBrowser::eventFilter(QObject* watched, QEvent* event) {
    // Not through the window: it may be going already.
    if ((watched == cbxBrowser || watched == boxEdit_) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GuardCall([this] { Navigate(); });
            return true;
        }
    } else if (watched == imgLink && event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        GuardCall([this] { DragLink(); });
        return true;
    } else if (watched == splitter3_) {
        // Dragging the splitter gives the text card under it more or less of the pane.
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const int y = int(me->globalPosition().y());
            if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
                splitterDragY_ = y;
                splitterDragHeight_ = textPane_->height();
                return true;
            }
            if (type == QEvent::MouseMove && splitterDragY_ >= 0) {
                const int h = splitterDragHeight_ + splitterDragY_ - y;
                textPane_->setFixedHeight(
                    std::clamp(h, 20, std::max(20, textPane_->parentWidget()->height() - 60)));
                return true;
            }
        } else if (type == QEvent::MouseButtonRelease) {
            splitterDragY_ = -1;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kiv
