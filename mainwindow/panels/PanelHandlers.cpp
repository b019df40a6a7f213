// The handlers of the three outline panels: storing the topic that is left and loading the
// one that becomes current, keys, mouse clicks, hints and topic drags. Commands: EditMode,
// CompactNavigate, ExpandedNavigate.
#include "mainwindow/panels/PanelHandlers.h"

#include <QBoxLayout>
#include <QEvent>
#include <QMainWindow>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "engine/core/Navigation.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {
const char* const kBadgeOutsideTreeHint =
    "Clicking numbered area only shows/hides next level when in classic dataviews.";
}  // namespace

TPanelHandlers::TPanelHandlers(IWindowContext& ctx)
    : ctx_(ctx),
      textCard_(ctx.Published()),
      launch_(ctx.Published()),
      datastructure_(ctx.Published()),
      resourceBin_(ctx.Published()),
      clipBin_(ctx.Published()),
      templateBin_(ctx.Published()),
      binsColumn_(ctx.Published()) {
    ctx.Published().Publish<IPanels>(*this);
}

void TPanelHandlers::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    QWidget* row = ctx_.Skeleton().pnlPanels;
    EditMode = Action(w, "EditMode", QStringLiteral("Edit Mode"), true);
    CompactNavigate = Action(w, "CompactNavigate", QStringLiteral("Compact Navigate"), true);
    ExpandedNavigate = Action(w, "ExpandedNavigate", QStringLiteral("Expanded Navigate"), true);
    sgdFirst = Named(new TKivStringGrid(row), "sgdFirst");
    sgdSecond = Named(new TKivStringGrid(row), "sgdSecond");
    sgdThird = Named(new TKivStringGrid(row), "sgdThird");
    sgdFirst->Tag = 1;
    sgdSecond->Tag = 2;
    sgdThird->Tag = 3;
    for (TKivStringGrid* g : {sgdFirst, sgdSecond, sgdThird}) {
        static_cast<QBoxLayout*>(row->layout())->addWidget(g, 1);
        WirePanel(g);
    }
}

void TPanelHandlers::WirePanel(TKivStringGrid* g) {
    g->OnSelRowChanged = [this](TKivStringGrid* s, int o, int n) {
        sgdSecondSelRowChanged(s, o, n);
    };
    g->OnEnter = [this](TCustomGrid* s) { sgdSecondEnter(static_cast<TKivStringGrid*>(s)); };
    g->OnPanelChanged = [this](TKivStringGrid*, int o, int n) {
        if (pathHooks_.ActivePanelChanged) pathHooks_.ActivePanelChanged(o, n);
    };
    g->OnTitleModified = [this](TKivStringGrid* s, int r) {
        if (pathHooks_.CaptionStored) pathHooks_.CaptionStored(s, r);
    };
    g->OnItemsUpdated = [this](TKivStringGrid* s, uint32_t n) {
        sgdSecondItemsUpdated(s, n);
        TopicsChanged(0);
    };
    // Every store of a caption, whichever command made it.
    g->Nester->OnCaptionStored = [this](TNester* m, int row) { TopicsChanged(m->CardDir(row)); };
    g->OnMouseOverLaunch = [this](TKivStringGrid* s, int r) { sgdSecondMouseOverLaunch(s, r); };
    g->OnKeyDown = [this](TCustomGrid* s, Word& k, TShiftState sh) {
        sgdSecondKeyDown(static_cast<TKivStringGrid*>(s), k, sh);
    };
    g->OnKeyPress = [this](TCustomGrid* s, QChar& k) {
        sgdSecondKeyPress(static_cast<TKivStringGrid*>(s), k);
    };
    g->OnKeyUp = [this](TCustomGrid* s, Word& k, TShiftState sh) {
        sgdSecondKeyUp(static_cast<TKivStringGrid*>(s), k, sh);
    };
    g->OnMouseDown = [this](TCustomGrid* s, TCustomGrid::TMouseButton b, TShiftState sh, int x,
                            int y) {
        sgdSecondMouseDown(static_cast<TKivStringGrid*>(s), b, sh, x, y);
    };
    g->OnMouseMove = [this](TCustomGrid* s, TShiftState sh, int x, int y) {
        sgdSecondMouseMove(static_cast<TKivStringGrid*>(s), sh, x, y);
    };
    g->OnMouseUp = [this](TCustomGrid* s, TCustomGrid::TMouseButton b, TShiftState sh, int x,
                          int y) {
        sgdSecondMouseUp(static_cast<TKivStringGrid*>(s), b, sh, x, y);
    };
    g->OnEndDrag = [this](TKivStringGrid* s) { sgdSecondEndDrag(s); };
    g->OnDragOver = [this](TKivStringGrid* s, QObject* src, int x, int y, bool& accept) {
        sgdSecondDragOver(s, src, x, y, accept);
    };
    g->OnDragDrop = [this](TKivStringGrid* s, QObject* src, int x, int y) {
        sgdSecondDragDrop(s, src, x, y);
    };
}

void TPanelHandlers::Subscribe(TWindowEvents& events) {
    // Each hearer on its own: a card that cannot be read is not the store's failure.
    events.TopicsChanged.Subscribe(
        [this](uint32_t cardDir) { GuardCall([&] { ShowTopicAgain(cardDir); }); });
}

void TPanelHandlers::TopicsChanged(uint32_t cardDir) {
    // The panels are being filled as a whole: their filler shows the result.
    if (ctx_.Open().Loading || !PanelsManagerExists() || PanelsManager().Navigating) return;
    ctx_.Events().TopicsChanged.Fire(cardDir);
}

void TPanelHandlers::ShowTopicAgain(uint32_t cardDir) {
    if (cardDir == 0) return;
    for (TKivStringGrid* g : {sgdFirst, sgdSecond, sgdThird}) {
        if (!g) continue;
        TNester& m = *g->Nester;
        for (int r = 0; r < m.RowCount(); ++r) {
            if (m.CardDir(r) != cardDir) continue;
            m.RereadRowCards(r);
            if (g->GetExpandAll()) g->FitRowHeight(r);
            g->DrawRow(r);
        }
    }
}

TKivStringGrid* TPanelHandlers::Panel(int n) const {
    switch (n) {
    case 1: return sgdFirst;
    case 2: return sgdSecond;
    case 3: return sgdThird;
    default: return nullptr;
    }
}

TKivStringGrid* TPanelHandlers::CurrentGrid() const {
    if (!PanelsManagerExists()) return nullptr;
    return PanelsManager().PanelByNumber(CurrentPanel);
}

void TPanelHandlers::FlushCurrentRow() {
    if (TKivStringGrid* g = CurrentGrid()) sgdSecondSelRowChanged(g, g->CurrentRow(), -1);
}

void TPanelHandlers::ReloadCurrentRow() {
    if (TKivStringGrid* g = CurrentGrid()) sgdSecondSelRowChanged(g, -1, g->CurrentRow());
}

void TPanelHandlers::sgdSecondSelRowChanged(TKivStringGrid* Sender, int OldRow, int NewRow) {
    if (ctx_.Open().Loading || !PanelsManagerExists() || PanelsManager().Navigating) return;
    TNester& model = *Sender->Nester;
    if (OldRow >= 0 && OldRow < model.RowCount() && !model.IsLocked(OldRow)) {
        // A refused caption has been told and stays in the caption editor.
        static_cast<void>(Sender->StoreEditedCaption());
        if (!ctx_.Events().TopicLeaving.Fire(Sender, OldRow)) return;
    }
    if (NewRow <= -1) return;
    if (Sender->Tag == CurrentPanel) ctx_.Events().TopicShown.Fire(Sender, NewRow);
}

void TPanelHandlers::sgdSecondEnter(TKivStringGrid* Sender) {
    const int row = Sender->CurrentRow();
    if (!Sender->IsRowValid(row)) return;
    const bool locked = Sender->Nester->IsLocked(row);
    textCard_->UpdateEditorReadOnly(locked);
    if (locked) return;
    textCard_->ShowTopicStyle(Sender->Nester->GetFontStyle(row));
}

void TPanelHandlers::sgdSecondItemsUpdated(TKivStringGrid* Sender, uint32_t) {
    if (ctx_.Open().Loading || !PanelsManagerExists() || PanelsManager().Navigating ||
        Sender->Tag != CurrentPanel)
        return;
    if (pathHooks_.RowsReloaded) pathHooks_.RowsReloaded(Sender);
    textCard_->FollowReloadedRows(Sender);
}

void TPanelHandlers::sgdSecondMouseOverLaunch(TKivStringGrid* Sender, int ARow) {
    if (!Sender->IsRowValid(ARow)) return;
    TLaunchList& links = Sender->Nester->LaunchList();
    const int n = links.Count(ARow);
    if (n <= 0) return;
    QString hint = QStringLiteral("Attachment:\r\n");
    for (int i = 0; i < n; ++i)
        hint += StoredToText(links.GetPath(ARow, i)) + QStringLiteral("\r\n");
    hint.chop(2);
    Sender->setToolTip(hint);
}

void TPanelHandlers::sgdSecondMouseMove(TKivStringGrid* Sender, TShiftState, int X, int Y) {
    if (ctx_.IsBusy()) return;
    QString hint;
    const int row = Sender->HoverRow;
    if (Sender->IsRowValid(row)) {
        TNester& m = *Sender->Nester;
        const int links = m.LaunchList().Count(row);
        if (links > 0 && Sender->IsOverLaunchIcon(X, Y)) {
            hint = links == 1 ? StoredToText(m.LaunchList().GetPath(row, 0)) +
                                    QStringLiteral(", double click for launching")
                              : QString::number(links) +
                                    QStringLiteral(
                                        " links attached, double click for opening of Launch Card");
        } else if (Sender->IsOverTextIcon(X, Y)) {
            hint = QStringLiteral("There is text in Text Card");
        } else if (Sender->IsOverHeightBox(X, Y)) {
            hint = Sender->RowHeights(row) != Sender->DefaultRowHeight()
                       ? QStringLiteral("Click for compact topic text view")
                       : QStringLiteral("Click for full topic text view");
        } else if (Sender->TreeMode && Sender->IsOverBadge(X, Y) && m.ChildNest(row) > 0) {
            hint = m.IsExpanded(row) ? QStringLiteral("Click for branch collapsing")
                                     : QStringLiteral("Click for branch expanding");
        } else if (!Sender->TreeMode && Sender->IsOverBadge(X, Y)) {
            hint = QString::fromLatin1(kBadgeOutsideTreeHint);
        }
    }
    ctx_.ShowStatusHint(hint);
    if (!Sender->IsOverLaunchIcon(X, Y)) Sender->setToolTip(QString());
}

void TPanelHandlers::sgdSecondKeyDown(TKivStringGrid* Sender, Word& Key, TShiftState Shift) {
    if (ctx_.IsBusy()) return;
    const TShiftState keys = Shift.Keys();
    const int row = Sender->CurrentRow();
    switch (Key) {
    case VK_ADD:
        if (keys == (ssShift | ssCtrl) || keys == (ssCtrl | ssAlt)) {
            launch_->LaunchRowLinks(Sender, row, keys.Contains(ssAlt), true);
        } else if (keys == TShiftState(ssCtrl)) {
            Sender->SetExpandAll(!Sender->GetExpandAll());
        } else if (keys.Empty() && Sender->IsRowValid(row)) {
            if (Sender->RowHeights(row) != Sender->DefaultRowHeight()) Sender->ResetRowHeight(row);
            else Sender->FitRowHeight(row);
            Sender->DrawRow(row);
        }
        break;
    case VK_HOME:
        if (!keys.Contains(ssCtrl)) Sender->SelectRow(0);
        break;
    case VK_END:
        if (keys.Contains(ssCtrl)) {
            Key = 0;
            if (TKivStringGrid* last = PanelsManager().PanelByNumber(PanelCount);
                last && isShown(last))
                last->setFocus(Qt::OtherFocusReason);
        } else {
            Sender->SelectRow(Sender->Nester->RowCount() - 1);
        }
        break;
    case VK_RETURN:
    case VK_SPACE: PanelsManager().SetEditMode(true); break;
    default: break;
    }
    if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU) Sender->KeyDownSeen = true;
}

void TPanelHandlers::sgdSecondKeyPress(TKivStringGrid* Sender, QChar& Key) {
    if (ctx_.IsBusy()) return;
    if (!Sender->KeyDownSeen) return;
    // A space is typed like a letter: the key-down that switched edit mode on left it here.
    if ((Key.unicode() < 37 && Key != QLatin1Char(' ')) || Key == QLatin1Char('+') ||
        Key == QLatin1Char('-'))
        return;
    // In edit mode the panel itself can hold the focus (a topic just made by a double click):
    // the letter goes to the caption editor then too, instead of being lost.
    if (!Sender->Editing()) PanelsManager().SetEditMode(true);
    if (!Sender->Editing() || !Sender->IsRowValid(Sender->CurrentRow()) ||
        Sender->CaptionEditor->isReadOnly())
        return;
    if (!Sender->CaptionEditor->hasFocus()) Sender->CaptionEditor->setFocus(Qt::OtherFocusReason);
    Sender->CaptionEditor->SetSelStart(10000);
    Sender->CaptionEditor->insertPlainText(QString(Key));
    Key = QChar(0);
}

void TPanelHandlers::sgdSecondKeyUp(TKivStringGrid* Sender, Word& Key, TShiftState) {
    Sender->KeyDownSeen = false;
    if (ctx_.IsBusy()) return;
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
        Sender->SelectRow(Sender->Row());
        PanelsManager().RefreshPanelsFrom(Sender->Tag);
        break;
    case VK_RIGHT:
        if (!Sender->TreeMode && Sender->Nester->RowCount() == 0) {
            if (Sender->Nester->RootNest == kExternalNest) {
                if (!Sender->ExternalPath.empty())
                    datastructure_->OpenDatastructureFile(Sender->ExternalPath);
            } else {
                Sender->InsertTopics(TItemArray{TNestItem{}}, 0, true, true, 0);
            }
        }
        break;
    default: break;
    }
}

void TPanelHandlers::sgdSecondMouseDown(TKivStringGrid* Sender, int Button, TShiftState Shift,
                                        int X, int Y) {
    if (ctx_.IsBusy()) return;
    TNester& m = *Sender->Nester;
    const int row = Sender->RowAt(X, Y);
    if (Button == TCustomGrid::mbRight && Sender->IsRowValid(row) && Sender->IsOverLaunchIcon(X, Y))
        launch_->PopupRowLinks(Sender, row, Sender->viewport()->mapToGlobal(QPoint(X, Y)));
    if (Button != TCustomGrid::mbLeft) return;
    if (row == 0 && !Sender->TreeMode && m.RowCount() == 0 && m.RootNest == kExternalNest) {
        if (!Sender->ExternalPath.empty())
            datastructure_->OpenDatastructureFile(Sender->ExternalPath);
        return;
    }
    if (!Sender->IsRowValid(row)) return;
    const TShiftState keys = Shift.Keys();
    const bool dbl = Shift.Contains(ssDouble);
    if (Sender->IsOverHeightBox(X, Y)) {
        if (!keys.Contains(ssCtrl)) {
            if (Sender->RowHeights(row) > Sender->DefaultRowHeight()) Sender->ResetRowHeight(row);
            else Sender->FitRowHeight(row);
            Sender->DrawRow(row);
        } else if (m.HasHeightBox(row)) {
            Sender->SetExpandAll(Sender->RowHeights(row) <= Sender->DefaultRowHeight());
        }
        Sender->SetRow(Sender->CurrentRow());
        return;
    }
    if (dbl && Sender->IsOverLaunchIcon(X, Y) && m.LaunchList().Count(row) > 0) {
        launch_->LaunchRowLinks(Sender, row, keys == TShiftState(ssCtrl),
                                keys != (ssShift | ssCtrl));
        return;
    }
    if (Sender->Tag > 1) {
        TKivStringGrid* prev = PanelsManager().PanelByNumber(Sender->Tag - 1);
        if (prev && prev->Nester->RowCount() == 0) {
            if (TKivStringGrid* g = CurrentGrid()) g->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const int current = Sender->CurrentRow();
    if ((keys.Contains(ssCtrl) || keys.Contains(ssShift)) && row != current &&
        !Sender->IsOverLaunchIcon(X, Y)) {
        if (keys.Contains(ssCtrl)) {
            m.SetMarked(row, !m.IsMarked(row));
            Sender->DrawRow(row);
        } else if (keys == TShiftState(ssShift)) {
            for (int r = 0; r < m.RowCount(); ++r)
                if (m.IsMarked(r)) {
                    m.SetMarked(r, false);
                    Sender->DrawRow(r);
                }
            const int from = row > current ? current + 1 : row,
                      to = row > current ? row : current - 1;
            for (int r = from; r <= to; ++r) {
                m.SetMarked(r, true);
                Sender->DrawRow(r);
            }
        }
        Sender->SetRow(current);
        return;
    }
    if (dbl && keys.Empty()) return;
    if (!m.IsMarked(row) && row != current) {
        Sender->SelectRow(row);
        PanelsManager().RefreshPanelsFrom(Sender->Tag);
        Sender->ClearMarks();
    }
    if (m.HasText(row) && Sender->IsOverTextIcon(X, Y) && ctx_.Skeleton().pnlCards->isHidden())
        ctx_.Skeleton().pnlCards->show();
    // The badge shows or hides the next level only in the classic (tree) views; elsewhere the
    // click has chosen the row, and the hint says what the badge would do. A modal error box
    // for a click that selects a row would stop the user at every badge.
    if (!Sender->TreeMode && Sender->IsOverBadge(X, Y))
        ctx_.ShowStatusHint(QString::fromLatin1(kBadgeOutsideTreeHint));
}

void TPanelHandlers::sgdSecondMouseUp(TKivStringGrid* Sender, int Button, TShiftState, int X,
                                      int Y) {
    if (ctx_.IsBusy() || Button != TCustomGrid::mbLeft || Sender->DragStarted) return;
    const int row = Sender->RowAt(X, Y);
    if (Sender->IsRowValid(row) && row != Sender->CurrentRow())
        PanelsManager().RefreshPanelsFrom(Sender->Tag);
}

void TPanelHandlers::sgdSecondEndDrag(TKivStringGrid* Sender) {
    Sender->DragStarted = false;
    ShowDropMarker(Sender, -1);
}

void TPanelHandlers::sgdSecondDragOver(TKivStringGrid* Sender, QObject* Source, int X, int Y,
                                       bool& Accept) {
    Accept = false;
    if (QListWidget* list = BinListOf(Source); list && !ctx_.IsBusy()) {
        BinDragOver(Sender, list, X, Y, Accept);
        return;
    }
    auto* src = qobject_cast<TKivStringGrid*>(Source);
    if (!src || ctx_.IsBusy()) {
        ctx_.ShowStatusHint(QString());
        return;
    }
    TNester& target = *Sender->Nester;
    const int row = Sender->RowAt(X, Y);
    int col = -1, cell = -1;
    Sender->MouseToCell(X, Y, col, cell);
    TKivStringGrid* prev =
        Sender->Tag > 1 ? PanelsManager().PanelByNumber(Sender->Tag - 1) : nullptr;
    Accept = true;
    if (Sender->Tag >= 3 && target.RowCount() == 0 && prev && prev->Nester->RowCount() == 0)
        Accept = false;
    if (src->Tag < Sender->Tag && src->Nester->GetMarkedRows(false).empty()) Accept = false;
    if (target.RowCount() > 0 ? !Sender->IsRowValid(row) : cell != 0) Accept = false;
    if (src == Sender &&
        (row == Sender->CurrentRow() || (Sender->IsRowValid(row) && target.IsMarked(row))))
        Accept = false;
    if (src->IsHoistedTopRow(src->CurrentRow())) Accept = false;
    if (Sender->IsSinglePanelRootRow(row)) Accept = false;
    for (int r : src->Nester->GetMarkedRows(false))
        if (src->IsHoistedTopRow(r)) Accept = false;
    if (Sender->Tag > 1 && target.RowCount() == 0 && (!prev || prev->Nester->RowCount() == 0))
        Accept = false;
    const bool overOtherRow =
        Sender->IsRowValid(row) && row != Sender->CurrentRow() && !target.IsMarked(row);
    ShowDropMarker(Sender, Accept && overOtherRow ? row : -1);
    ctx_.ShowStatusHint(Accept ? QStringLiteral("Move items(s) to this position") : QString());
}

void TPanelHandlers::sgdSecondDragDrop(TKivStringGrid* Sender, QObject* Source, int X, int Y) {
    if (QListWidget* list = BinListOf(Source); list && !ctx_.IsBusy()) {
        BinDragDrop(Sender, list, X, Y);
        return;
    }
    auto* src = qobject_cast<TKivStringGrid*>(Source);
    if (!src || ctx_.IsBusy()) return;
    FlushCurrentRow();
    ctx_.ShowStatusHint(QString());
    TNester& target = *Sender->Nester;
    const int row = Sender->RowAt(X, Y);
    const bool withCurrent = src->Tag >= Sender->Tag;
    src->UnmarkShownDescendants();
    const TItemArray items = src->Nester->GetMarkedItems(withCurrent);
    if (items.empty()) return;

    // The nest the topics would go into must not lie inside one of them.
    uint32_t destination = 0;
    if (target.RowCount() > 0 && target.ValidRow(row)) {
        destination = target.ParentNest(row);
    } else if (TKivStringGrid* prev =
                   Sender->Tag > 1 ? PanelsManager().PanelByNumber(Sender->Tag - 1) : nullptr) {
        if (prev->IsRowValid(prev->CurrentRow()))
            destination = uint32_t(prev->Nester->ChildNest(prev->CurrentRow()));
    }
    if (NestInsideItems(src->Nester->NestFile(), destination, items)) {
        MessageDlg(QStringLiteral("It is not possible to move a topic to its own branch."),
                   MsgType::Error, MsgButtons::OK);
        return;
    }

    if (target.RowCount() == 0) {
        if (Sender->InsertTopics(items, 0, false, true, 0) > 0)
            src->DeleteMarkedTopics(false, withCurrent, true);
    } else if (src == Sender) {
        if (target.ValidRow(row) && target.NestIndex(row) < 0)
            Sender->MoveMarkedTopics(row, Sender->CurrentRow() < row, true);
    } else {
        // In first, out second: a move failing half-way leaves a topic twice, never nowhere.
        // The panels after the target (the source may be one) follow once both are written.
        const int pos = target.ValidRow(row) ? target.NextSibling(row, true) : target.RowCount();
        const TInsertResult in = InsertTopicItems(EditContext(Sender), items, pos, true, 0);
        if (in.Inserted == 0) return;
        Sender->RowsChanged(in.FromRow);
        src->DeleteMarkedTopics(false, withCurrent, true);
        PanelsManager().RefreshPanelsFrom(Sender->Tag);
    }
    ReloadCurrentRow();
}

}  // namespace kiv
