// The pin card: a second topic's text card kept in view beside the current one. While the
// pinned topic is also the current topic, only the text card edits it and the pin card
// shows it read-only, so two editors never write one card.
#include <QMainWindow>
#include <QMenu>

#include "engine/core/Cards.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/topics/TopicCommands.h"
#include "platform/core/LegacyText.h"
#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {

bool Shows(TKivStringGrid* g, int row, const TNode& pinned) {
    return pinned.CardDir != 0 && g && g->IsRowValid(row) &&
           g->Nester->CardDir(row) == pinned.CardDir;
}

// Each line break (CR LF, CR or LF) one blank.
std::string OneLine(std::string_view caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '\r' && i + 1 < caption.size() && caption[i + 1] == '\n') ++i;
        out += caption[i] == '\r' || caption[i] == '\n' ? ' ' : caption[i];
    }
    return out;
}

}  // namespace

void TTopicCommands::BuildPinCard() {
    QMainWindow* w = &ctx_.Window();
    acToPin = Action(w, "acToPin", QStringLiteral("Pin"), true);
    acToPin->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    acToPin->OnExecute = [this](KivAction*) {
        if (acToPin->Checked()) btnClosePinCardClick();
        else PinTopic(ctx_.CurrentGrid(), ctx_.CurrentRow());
    };
    acShowPin = Action(w, "acShowPin", QStringLiteral("Pin Card"));
    acShowPin->OnExecute = [this](KivAction*) { acShowPinExecute(); };
    for (KivAction* a : {acToPin, acShowPin}) {
        a->OnUpdate = [this](KivAction* s) {
            s->SetEnabled(ctx_.DatastructureOpen() && !ctx_.Skeleton().pnlKiv->isHidden());
        };
        w->addAction(a);
        ctx_.Skeleton().Cards1->addAction(a);
    }
    textCard_->SetPinCardClose([this] { btnClosePinCardClick(); });
}

void TTopicCommands::PinTopic(TKivStringGrid* g, int row) {
    if (!g || !g->IsRowValid(row) || !ctx_.DatastructureOpen()) return;
    if (!SavePinCard()) return;  // what could not be stored stays in the pin card
    // The text card's edits first, so the pin card shows what is stored.
    ctx_.FlushCurrentRow();
    // The pin card takes the graphic card's place beside the text.
    graphicCard_->CloseGraphicCard();
    if (!pinShown_) acShowPinExecute();
    pinned_ = TNode{};
    pinned_.CardDir = g->Nester->CardDir(row);
    pinned_.ChildNest = uint32_t(g->Nester->ChildNest(row));
    pinnedLocked_ = g->Nester->IsLocked(row);
    pinned_.Caption = g->Nester->Caption(row);
    const bool current = g == ctx_.CurrentGrid() && row == g->CurrentRow();
    ReloadPinCard(current);
}

void TTopicCommands::ReloadPinCard(bool readOnly) {
    std::string card;
    if (pinned_.CardDir) {
        TCards cards;
        cards.SetCardFile(ctx_.Pair().Cards.get());
        cards.ReadCard(kCardText, pinned_.CardDir, card);
    }
    const QString label =
        pinned_.CardDir ? QStringLiteral("Pinned - ") +
                              QString::fromStdString(LegacyText::Decode(OneLine(pinned_.Caption)))
                        : QStringLiteral("Pin Card");
    textCard_->LoadPinCard(card, label, pinnedLocked_, readOnly);
}

bool TTopicCommands::SavePinCard() {
    if (!pinned_.CardDir || !ctx_.DatastructureOpen()) return true;
    std::string card;
    if (!textCard_->TakePinCardEdit(card)) return true;
    TCards cards;
    cards.SetCardFile(ctx_.Pair().Cards.get());
    uint32_t dir = pinned_.CardDir;
    bool stored = false;
    QString reason;
    try {
        stored = cards.StoreCard(dir, kCardText, card);
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    }
    if (!stored) {
        MessageDlg(QStringLiteral("The pin card could not be stored") +
                       (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason),
                   MsgType::Error, MsgButtons::OK);
    }
    // The pinned topic's rows show whether it has text now.
    if (stored && dir) ctx_.Events().TopicsChanged.Fire(dir);
    return stored;
}

void TTopicCommands::acShowPinExecute() {
    pinShown_ = true;
    acToPin->SetChecked(true);
    textCard_->ShowPinCard(true);
}

void TTopicCommands::btnClosePinCardClick() {
    SavePinCard();
    pinShown_ = false;
    if (acToPin) acToPin->SetChecked(false);
    textCard_->ShowPinCard(false);
}

void TTopicCommands::PinFollowsTopicLeaving(TKivStringGrid* g, int row) {
    if (!pinShown_) return;
    // The pin card's edits are stored before the next topic is read into the text card.
    SavePinCard();
    // The text card has stored the pinned topic (its handler runs first): the pin card
    // shows that and may edit again.
    if (Shows(g, row, pinned_)) ReloadPinCard(false);
}

void TTopicCommands::PinFollowsTopicShown(TKivStringGrid* g, int row) {
    if (pinShown_ && Shows(g, row, pinned_)) ReloadPinCard(true);
}

}  // namespace kiv
