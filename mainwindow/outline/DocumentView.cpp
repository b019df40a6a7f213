// The document view of panel 1: circles or numbers as badges, the text-card pointer, the
// launch image and the sizer, with the settings they are kept in.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/outline/Outline.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {
constexpr int kCirclesImage = 62;
constexpr int kNumbersImage = 63;
}  // namespace

void TOutline::BuildDocumentView() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    DocumentViewSettings1 =
        Named(new QMenu(QStringLiteral("Document View Settings"), w), "DocumentViewSettings1");
    DocumentViewSettings1->setEnabled(false);
    // Circles and numbers are a radio pair that may also both be off.
    auto* badges = new QActionGroup(w);
    badges->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    Circle1 = Item(w, "Circle1", QStringLiteral("Circles"), true);
    Number1 = Item(w, "Number1", QStringLiteral("Numbers"), true);
    Number1->setData(1);
    Circle1->setData(0);
    for (QAction* a : {Circle1, Number1}) {
        badges->addAction(a);
        DocumentViewSettings1->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, a] { GuardCall([this, a] { DocViewBadgeClick(a); }); });
    }
    DocumentViewSettings1->addSeparator();

    acDocViewNumber = Action(w, "acDocViewNumber", QStringLiteral("acDocViewNumber"), true);
    acDocViewNumber->setToolTip(QStringLiteral("DocView Number"));
    SetImageIndex(acDocViewNumber, kCirclesImage);
    acDocViewNumber->OnExecute = [this](KivAction*) { acDocViewNumberExecute(); };
    // The menu items are the commands themselves, so that both show one check state.
    const struct {
        KivAction** action;
        const char* name;
        const char* caption;
        const char* hint;
        void (TKivStringGrid::*set)(bool);
    } flags[] = {
        {&acDocViewText, "acDocViewText", "Text Card Pointer", "DocView Text Card Pointer",
         &TKivStringGrid::SetDocViewTextPointer},
        {&acDocViewLaunch, "acDocViewLaunch", "Launch Image", "DocView Launch Image",
         &TKivStringGrid::SetDocViewLaunchImage},
        {&acDocViewSizer, "acDocViewSizer", "Sizer", "DocView Sizer",
         &TKivStringGrid::SetDocViewSizer},
    };
    for (const auto& f : flags) {
        KivAction* a = Action(w, f.name, QString::fromLatin1(f.caption), true);
        a->setToolTip(QString::fromLatin1(f.hint));
        a->OnExecute = [this, set = f.set](KivAction* s) {
            s->SetChecked(!s->Checked());
            if (TKivStringGrid* p1 = Panel(1)) (p1->*set)(s->Checked());
        };
        *f.action = a;
        DocumentViewSettings1->addAction(a);
    }
    k.View1->addMenu(DocumentViewSettings1);

    btnDocumentViewSettings = Named(new QToolButton(k.tbModes), "btnDocumentViewSettings");
    btnDocumentViewSettings->setText(QStringLiteral("DocSet"));
    btnDocumentViewSettings->setToolTip(QStringLiteral("Document View Settings"));
    btnDocumentViewSettings->setMenu(DocumentViewSettings1);
    btnDocumentViewSettings->setPopupMode(QToolButton::InstantPopup);
    k.tbModes->addWidget(btnDocumentViewSettings)->setVisible(false);

    imgTextBMP = Named(new QLabel(w), "imgTextBMP");
    imgTextBMP->hide();
    imgLaunchCard = Named(new QLabel(w), "imgLaunchCard");
    imgLaunchCard->hide();
    if (PanelsManagerExists()) {
        imgTextBMP->setPixmap(PanelsManager().TextBitmap);
        imgLaunchCard->setPixmap(PanelsManager().LinksBitmap);
    }
}

void TOutline::DocViewBadgeClick(QAction* item) {
    const bool on = item->isChecked();
    TKivStringGrid* p1 = Panel(1);
    if (item == Number1) {
        if (p1) p1->SetDocViewNumbers(on);
        SetImageIndex(acDocViewNumber, kNumbersImage);
    } else {
        if (p1) p1->SetDocViewCircles(on);
        SetImageIndex(acDocViewNumber, kCirclesImage);
    }
    acDocViewNumber->Tag = item->data().toInt();
    acDocViewNumber->SetChecked(on);
}

void TOutline::acDocViewNumberExecute() {
    (acDocViewNumber->Tag == 1 ? Number1 : Circle1)->trigger();
}

void TOutline::ApplyViewSettings(const TOutlineViewSettings& s) {
    TKivStringGrid* p1 = Panel(1);
    if (s.Circles) {
        if (p1) p1->SetDocViewCircles(true);
        Circle1->setChecked(true);
        acDocViewNumber->SetChecked(true);
    } else if (s.Numbers) {
        if (p1) p1->SetDocViewNumbers(true);
        Number1->setChecked(true);
        acDocViewNumber->SetChecked(true);
        acDocViewNumber->Tag = 1;
        SetImageIndex(acDocViewNumber, kNumbersImage);
    }
    acDocViewText->SetChecked(s.TextPointer);
    acDocViewLaunch->SetChecked(s.LaunchImage);
    acDocViewSizer->SetChecked(s.Sizer);
    if (p1) {
        p1->SetDocViewTextPointer(s.TextPointer);
        p1->SetDocViewLaunchImage(s.LaunchImage);
        p1->SetDocViewSizer(s.Sizer);
    }
    acWhitener->SetChecked(s.Whitener);
}

TOutlineViewSettings TOutline::ViewSettings() const {
    TOutlineViewSettings s;
    s.Circles = Circle1->isChecked();
    s.Numbers = Number1->isChecked();
    s.TextPointer = acDocViewText->Checked();
    s.LaunchImage = acDocViewLaunch->Checked();
    s.Sizer = acDocViewSizer->Checked();
    s.Whitener = acWhitener->Checked();
    return s;
}

}  // namespace kiv
