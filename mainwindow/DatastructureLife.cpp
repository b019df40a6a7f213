// Opening, closing, creating and copying the datastructure, and the recent-files list.
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <exception>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/RecycledBin.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Marks.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/SamePath.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

std::string FileNameOf(const std::string& path) {
    size_t p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    size_t p = name.rfind('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

std::string TemplatePath() { return AppDir() + "template.kiv"; }

bool IsTemplate(const std::string& path) {
    if (SamePath(path, TemplatePath())) return true;
    // The same file name in the program folder, spelt otherwise.
    const std::string folder = path.substr(0, path.size() - FileNameOf(path).size());
    return SamePath(folder, AppDir()) && LowerCase(FileNameOf(path)) == "template.kiv";
}

// Passes the checks the split makes: an open pair, or a joined file with a sound trailer.
bool PassesDatastructureChecks(const std::string& path) {
    if (FileExists(path) && FileExists(CardFileName(path))) return true;
    try {
        auto f = PosixBlockFile::Open(path, OpenMode::ReadOnly);
        TJoinedTrailer t;
        return ReadJoinedTrailer(*f, t);
    } catch (const std::exception&) {
        return false;
    }
}

// The joined form of a new, empty datastructure: 4 bytes of cards, 8 of outline, trailer.
std::string EmptyJoinedDatastructure() {
    std::string s(12, '\0');
    AppendU32(s, 8);
    AppendU32(s, kMinJoinedSize);
    return s;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- the open pair ----

void TForm1::ReleaseOpenPair() {
    if (PanelsManagerExists()) {
        TKivPanelsManager& pm = PanelsManager();
        // No row may stay over handles that are about to close.
        for (TKivStringGrid* g : {sgdFirst, sgdSecond, sgdThird}) {
            if (!g || !g->Nester) continue;
            if (g->Nester->RowCount() > 0 || g->Nester->RootNest != 0) {
                g->Nester->Clear();
                g->Nester->RootNest = 0;
                g->ExternalPath.clear();
                g->RowsChanged(0);
            }
        }
        pm.SetNestFile(nullptr);
        pm.SetCardFile(nullptr);
        pm.DBCards.DirAddress = 0;
        pm.SetDatastructurePath("");
    }
    if (CurrentBookMark) {
        CurrentBookMark->OutlineFile = nullptr;
        CurrentBookMark->SetCardFile(nullptr);
    }
    pair_.Outline.reset();
    pair_.Cards.reset();
}

void TForm1::EnableDatastructureMenus(bool on) {
    pnlCards->setEnabled(on);
    pnlKiv->setEnabled(on);
    cbTools->setEnabled(on);
    View1->setEnabled(on);
    Cards1->setEnabled(on);
    acSaveDatabaseAs->SetEnabled(on);
}

void TForm1::OpenDatastructureFile(const std::string& path) {
    const bool listed = InterBase().IndexOfPath(path) >= 0;
    InterBase().Open(path);
    if (DatastructureOpen() && CurrentBookMark && SamePath(CurrentBookMark->Path, path)) return;
    // Refused: an entry made only for this attempt does not stay in the list.
    if (!listed) {
        const int i = InterBase().IndexOfPath(path);
        if (i >= 0) InterBase().Delete(i);
    }
    InterBase().SetCurrentIndex(-1);
}

bool TForm1::OpenDatastructure(const std::string& path, bool createWhenMissing) {
    if (UpperCase(ExtensionOf(path)) != ".KIV") return false;
    acHideAllCardsExecute();
    pnlBMList->hide();
    if (pnlKiv->isHidden()) pnlKiv->show();
    // What closing could not write is reported; the old datastructure is released either way.
    try {
        CloseDatastructure();
    } catch (const std::exception& e) {
        ShowException(e);
    }
    lblNavigateMode->setText(QStringLiteral("whole"));

    int index = InterBase().CurrentIndex();
    if (index < 0 || !SamePath(InterBase().GetPath(index), path)) {
        index = InterBase().IndexOfPath(path);
        if (index < 0) index = InterBase().Add(path);
        InterBase().SetCurrentIndex(index);
    }
    const TBookMarkPtr entry = InterBase().BookMark(index);

    // One backup per datastructure and run, and only of a file that is a datastructure.
    if (acAutoBackup->Checked() && !entry->BackupMade && PassesDatastructureChecks(path)) {
        entry->BackupMade = true;
        try {
            BackupDatastructure(path);
        } catch (const std::exception& e) {
            MessageDlg(QStringLiteral("No backup of \"%1\" was made: %2").arg(Q(path), QString::fromUtf8(e.what())),
                       MsgType::Warning, MsgButtons::OK);
        }
    }

    bool split = false;
    try {
        pair_ = OpenDatastructurePair(path, createWhenMissing);
        split = true;
        CurrentBookMark = entry;
        CurrentNavigator = Navigator();
        CurrentNavigator->Clear();

        const bool isTemplate = IsTemplate(path);
        if (isTemplate) pnlTemplateBin->hide();
        acShowTemplate->SetEnabled(!isTemplate);
        acDoAsTemplate->SetEnabled(!isTemplate);
        EnableDatastructureMenus(false);

        TKivPanelsManager& pm = PanelsManager();
        pm.SetNestFile(pair_.Outline.get());
        pm.SetCardFile(pair_.Cards.get());
        ReadDatastructureCards();
        setWindowTitle(QStringLiteral("KIV - ") + Q(FileNameOf(path)));
        EnableDatastructureMenus(true);

        const uint32_t rootNest = ReadRootNest(pair_.Outline.get());
        CurrentBookMark->OutlineFile = pair_.Outline.get();
        CurrentBookMark->SetCardFile(pair_.Cards.get());
        pm.SetDatastructurePath(path);
        CurrentBookMark->Path = path;
        CurrentPanel = 1;
        sgdFirst->Nester->Clear();
        acReturnToBackup->SetEnabled(FileExists(BackupFileName(path)));

        if (CurrentBookMark->MarksPending) {
            std::string marks;
            pm.DBCards.ReadCard(kDBCardMarks, marks);
            DeserializeMarks(marks, CurrentBookMark->Threads, CurrentBookMark->QuickJumps,
                             [this](TNavigator& t) { return sgdFirst->ValidateNavigator(t); });
        }

        // The top level in panel 1; an empty outline gets its first topic, ready for typing.
        sgdFirst->Nester->RootNest = rootNest;
        sgdFirst->Nester->LoadBranch(-1, false);
        sgdFirst->RowsChanged(0);
        if (sgdFirst->Nester->RowCount() == 0) {
            sgdFirst->InsertTopics(TItemArray{TNestItem{}}, 0, true, true, 0);
            pm.SetEditMode(true);
        }
        pm.RefreshPanelsFrom(1);
        if (sgdFirst->Nester->RowCount() > 0) CurrentBookMark->RootNest = sgdFirst->Nester->ParentNest(0);
        CurrentBookMark->HoistStack.Clear();
        CurrentBookMark->Outlines.SetCurrentIndex(0);
        CurrentBookMark->Threads.Clear();
        CurrentBookMark->Threads.AddNavigator()->Assign(*CurrentNavigator);
        CurrentBookMark->Threads.SetCurrentIndex(0);
        // Thread 0 is the current trail from now on.
        CurrentNavigator = CurrentBookMark->Threads.Navigator(0);

        sgdFirst->SelectRow(sgdFirst->CurrentRow());
        if (isVisible()) {
            if (sgdFirst->Editing() && sgdFirst->CaptionEditor && sgdFirst->CaptionEditor->height() > 0)
                sgdFirst->CaptionEditor->setFocus(Qt::OtherFocusReason);
            else
                sgdFirst->setFocus(Qt::OtherFocusReason);
        }

        // The recent-files list names only datastructures that opened.
        TIniSection section;
        for (const std::string& key : KivIni().ReadSection(kLastOpenedSection))
            section.emplace_back(key, KivIni().ReadString(kLastOpenedSection, key, ""));
        const TLastOpened last = UpdateLastOpened(section, path);
        KivIni().EraseSection(kLastOpenedSection);
        for (const auto& [key, value] : last.Section) KivIni().WriteString(kLastOpenedSection, key, value);
        for (int n = int(last.Section.size()) + 1; n <= kLastOpenedCount; ++n)
            KivIni().WriteString(kLastOpenedSection, IntToStr(n), "");
        SetLastOpenedCaptions(last.Entries);
    } catch (const std::exception& e) {
        // Nothing of the failed datastructure stays open; its files go back as they were.
        ReleaseOpenPair();
        if (split) GuardCall([&] { PackDatastructure(path); });
        CurrentBookMark = nullptr;
        CurrentNavigator = Navigator();
        CurrentNavigator->Clear();
        InterBase().SetCurrentIndex(-1);
        Loading = false;
        setWindowTitle(QStringLiteral("KIV"));
        EnableDatastructureMenus(false);
        ShowNoTopic();
        MessageDlg(QString::fromUtf8(e.what()) + QStringLiteral("\n\nThe datastructure \"%1\" was not opened.").arg(Q(path)),
                   MsgType::Error, MsgButtons::OK);
        return false;
    }
    Loading = false;
    // The outline is open; a topic whose cards cannot be read is reported and the rest stays usable.
    GuardCall([this] { ReloadCurrentRow(); });
    CurrentBookMark->MarksPending = false;
    return true;
}

void TForm1::CloseDatastructure() {
    FlushCurrentRow();
    Loading = true;
    SetImageIndex(acShowLaunchBin, 17);
    SetImageIndex(acShowTextBin, 18);
    SetImageIndex(acShowRecycledBin, 6);
    AddCurrentTopicToMarks();
    std::exception_ptr failure;
    if (sgdFirst->Nester->NestFile() && sgdFirst->Nester->CardFile()) {
        try {
            WriteDatastructureCards();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (CurrentBookMark && CurrentBookMark->OutlineFile) {
        CurrentBookMark->SearchResults.Clear();
        if (!acExitKIV->Checked()) {
            lvSearch->clear();
            btnFindNext->hide();
            edKeywords->clear();
        }
        const std::string path = PanelsManager().DatastructurePath;
        ReleaseOpenPair();
        // The topics are joined back even when the bins could not be written.
        try {
            PackDatastructure(path);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    } else {
        ReleaseOpenPair();
    }
    ShowNoTopic();
    if (failure) std::rethrow_exception(failure);
}

void TForm1::ReadDatastructureCards() {
    TDBCards& db = PanelsManager().DBCards;
    db.LoadDirAddress();
    std::string card;
    db.ReadCard(kDBCardTextBin, card);
    const size_t p = card.find('\x01');
    std::string textBin;
    if (p == std::string::npos) {
        CurrentBookMark->Password.clear();
        textBin = card;
    } else {
        CurrentBookMark->Password = card.substr(0, std::min<size_t>(p, 16));
        textBin = card.substr(p + 1);
    }
    txtTextBin->setPlainText(StoredToText(textBin));
    txtTextBin->document()->setModified(false);
    UpdateTextBinIcon();

    card.clear();
    db.ReadCard(kDBCardLaunchBin, card);
    lbxLaunchBin->clear();
    for (const std::string& line : SplitLines(card)) lbxLaunchBin->addItem(StoredToText(line));
    if (lbxLaunchBin->count() > 0) SetImageIndex(acShowLaunchBin, 19);

    card.clear();
    db.ReadCard(kDBCardRecycled, card);
    RecycledBin().LoadFromString(card);
    if (RecycledBin().Trails.Count() == 0) RecycledBin().Clear();
    card.clear();
    db.ReadCard(kDBCardLostBin, card);
    LostBin().LoadFromString(card);
    if (RecycledBin().Count() > 0 || LostBin().Count() > 0) SetImageIndex(acShowRecycledBin, 20);
}

void TForm1::WriteDatastructureCards() {
    TDBCards& db = PanelsManager().DBCards;
    std::string card = CurrentBookMark ? CurrentBookMark->Password : std::string();
    card += '\x01';
    card += TextToStored(txtTextBin->toPlainText());
    db.WriteCard(kDBCardTextBin, card);
    std::vector<std::string> lines;
    for (int i = 0; i < lbxLaunchBin->count(); ++i) lines.push_back(TextToStored(lbxLaunchBin->item(i)->text()));
    db.WriteCard(kDBCardLaunchBin, JoinLines(lines));
    db.WriteCard(kDBCardRecycled, RecycledBin().SaveToString());
    db.WriteCard(kDBCardLostBin, LostBin().SaveToString());
    if (CurrentBookMark) db.WriteCard(kDBCardMarks, SerializeMarks(CurrentBookMark->Threads, CurrentBookMark->QuickJumps));
}

void TForm1::AddCurrentTopicToMarks() {
    if (Busy || !CurrentNavigator) return;
    TKivStringGrid* g = CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    const int row = g->CurrentRow();
    const TNode n = g->Nester->GetNode(row);
    CurrentNavigator->Add(n.ParentNest, n.Index, true, g->Nester->Caption(row), n.Item());
}

void TForm1::SetLastOpenedCaptions(const std::vector<std::string>& entries) {
    QAction* items[4] = {miLast1, miLast2, miLast3, miLast4};
    for (int i = 0; i < 4; ++i) {
        const std::string e = i < int(entries.size()) ? entries[i] : std::string();
        items[i]->setText(Q(LastOpenedCaption(i + 1, e)));
        // An empty entry would open something else than its caption says.
        items[i]->setVisible(!e.empty());
    }
}

void TForm1::OpenLastDatastructure(int n) {
    const std::string e = ExpandRelativePath(RelativePathBase(), KivIni().ReadString(kLastOpenedSection, IntToStr(n), ""));
    if (!e.empty() && FileExists(e)) OpenDatastructureFile(e);
    else if (InterBase().Count() > 0) OpenDatastructureFile(InterBase().GetPath(0));
    else OpenDatastructureFile(AppDir() + "FirstKivDB.kiv");
}

// ---- commands ----

void TForm1::acOpenDataBaseExecute() {
    if (pnlKiv->isHidden()) pnlKiv->show();
    if (!odOpen.Execute()) return;
    const std::string path = odOpen.FileName.toStdString();
    if (LowerCase(ExtensionOf(path)) == ".kiv") OpenDatastructureFile(path);
    else QDesktopServices::openUrl(QUrl::fromLocalFile(odOpen.FileName));
}

void TForm1::miLast4Click(int n) { OpenLastDatastructure(n); }

void TForm1::pmLastOpenedPopup() {
    pmLastOpened->clear();
    for (int i = 0; i < InterBase().Count(); ++i) {
        QAction* a = pmLastOpened->addAction(QString::number(i + 1) + QStringLiteral(": ") + Q(InterBase().GetPath(i)));
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < InterBase().Count()) OpenDatastructureFile(InterBase().GetPath(i));
            });
        });
    }
}

void TForm1::Template1Click() { OpenDatastructureFile(TemplatePath()); }

void TForm1::acCreateDatabaseExecute(KivAction* Sender) {
    const bool saveAs = Sender == acSaveDatabaseAs;
    if (saveAs && !DatastructureOpen()) return;
    sdSaveAs.Title = saveAs ? QStringLiteral("Save Datastructure As") : QStringLiteral("Create New Datastructure");
    sdSaveAs.FileName.clear();
    if (sdSaveAs.InitialDir.isEmpty()) sdSaveAs.InitialDir = Q(AppDir());
    if (!sdSaveAs.Execute()) return;
    if (pnlKiv->isHidden()) pnlKiv->show();
    std::string target = QFileInfo(sdSaveAs.FileName).absoluteFilePath().toStdString();
    if (LowerCase(ExtensionOf(target)) != ".kiv") target += ".kiv";

    if (DatastructureOpen() && SamePath(target, CurrentBookMark->Path)) {
        MessageDlg(QStringLiteral("\"%1\" is the open datastructure. Choose another name.").arg(Q(target)),
                   MsgType::Warning, MsgButtons::OK);
        return;
    }
    if (IsTemplate(target)) {
        MessageDlg(QStringLiteral("\"%1\" holds the templates. Choose another name.").arg(Q(target)), MsgType::Warning,
                   MsgButtons::OK);
        return;
    }
    if (FileExists(CardFileName(target))) {
        MessageDlg(QStringLiteral("\"%1\" is open in another window or was not closed properly; it is not replaced.")
                       .arg(Q(target)),
                   MsgType::Warning, MsgButtons::OK);
        return;
    }
    if (FileExists(target) &&
        MessageDlg(QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(Q(target)),
                   MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return;
    if (saveAs) SaveDatastructureAs(target);
    else CreateDatastructureAs(target);
}

void TForm1::CreateDatastructureAs(const std::string& target) {
    // Replaced in one step, so the old file stays whole until the new one is there.
    if (FileExists(target)) WriteFileAtomic(target, EmptyJoinedDatastructure());
    OpenDatastructureFile(target);
}

void TForm1::SaveDatastructureAs(const std::string& target) {
    FlushCurrentRow();
    // The copy carries what closing would write: the bins, the text bin and the marks.
    WriteDatastructureCards();
    const std::string cards = pair_.Cards->ReadAll();
    const std::string outline = pair_.Outline->ReadAll();
    const uint64_t total = uint64_t(cards.size()) + outline.size() + kJoinedTrailerSize;
    if (total > 0xFFFFFFFFull)
        throw EKivError("The datastructure is too large to be saved as one file");
    std::string joined;
    joined.reserve(size_t(total));
    joined += cards;
    joined += outline;
    AppendU32(joined, uint32_t(outline.size()));
    AppendU32(joined, uint32_t(total));
    WriteFileAtomic(target, joined);
}

void TForm1::acHideAllCardsExecute() {
    for (QWidget* p : {pnlTextBin, pnlLaunchCard, pnlLaunchBin, pnlClipBin, pnlTemplateBin, pnlMetaCard}) p->hide();
    for (KivAction* a : {acShowTextBin, acShowLaunchCard, acShowLaunchBin, acShowClipBin, acShowTemplate, acShowMetaCard})
        a->SetChecked(false);
}

void TForm1::UpdateTextBinIcon() {
    const QString t = txtTextBin->toPlainText();
    SetImageIndex(acShowTextBin, t.size() >= 10 || !Trim(t.toStdString()).empty() ? 21 : 18);
}

}  // namespace kiv
