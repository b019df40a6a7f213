#include "mainwindow/schemes/ColorSchemes.h"

#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include "components/FourthTabSet.h"
#include "dialogs/ColorSchemeWindow.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/collector/CollectorInterface.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/schemes/SchemeStore.h"
#include "mainwindow/settings/WindowSettingsInterface.h"
#include "platform/core/KivError.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/WindowOwner.h"

namespace kiv {

namespace {

// The strip's own labels and arrows take the caption colour with it, so that they stay
// readable on a dark background.
void SetStripColors(QWidget* w, TColor c, TColor text) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, toQColor(c));
    pal.setColor(QPalette::WindowText, toQColor(text));
    pal.setColor(QPalette::ButtonText, toQColor(text));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// A write of "kiv.ini" that fails is told once; what was stored stays.
template <typename F>
bool Written(F&& write) {
    try {
        write();
        return true;
    } catch (const EKivError& e) {
        ShowMessage(QString::fromStdString(e.what()));
        return false;
    }
}

}  // namespace

TColorSchemes::TColorSchemes(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      windowSettings_(ctx.Published()),
      nav_(ctx.Published()),
      collector_(ctx.Published()) {
    setObjectName(QStringLiteral("ColorSchemes"));
}

void TColorSchemes::BuildComponents() {
    TWindowSkeleton& k = ctx_.Skeleton();
    ColorScheme1 = Named(k.Settings1->addMenu(QStringLiteral("Display Schemes")), "ColorScheme1");
    ColorScheme1->addSeparator();
    N23 = Named(ColorScheme1->addAction(QStringLiteral("Customize..")), "N23");
    connect(N23, &QAction::triggered, this, [this] { ShowEditor(); });
    connect(ColorScheme1, &QMenu::aboutToShow, this, [this] { FillSchemesMenu(); });
}

TColorSchemes::~TColorSchemes() = default;

void TColorSchemes::FillSchemesMenu() {
    // The scheme items stand before the separator and "Customize..".
    const QList<QAction*> items = ColorScheme1->actions();
    for (qsizetype i = 0; i + 2 < items.size(); ++i) {
        ColorScheme1->removeAction(items[i]);
        items[i]->deleteLater();
    }
    if (!KivIniOpen()) return;
    QAction* before = ColorScheme1->actions().value(0);
    const std::vector<std::string> names = SchemeNames(KivIni());
    const int current = windowSettings_->ColorSchemeIndex();
    for (size_t n = 0; n < names.size(); ++n) {
        auto* a = new QAction(QString::fromStdString(names[n]), ColorScheme1);
        a->setData(int(n));  // the Tag
        a->setCheckable(true);
        a->setChecked(int(n) == current);
        connect(a, &QAction::triggered, this, [this, n] { ApplyColorScheme(int(n)); });
        ColorScheme1->insertAction(before, a);
    }
}

void TColorSchemes::ApplyColorScheme(int n) {
    const bool ok = KivIniOpen() && ParseColorScheme(ReadColorScheme(KivIni(), n), ColorScheme);
    if (!ok) SetSchemeDefaults(ColorScheme);
    windowSettings_->SetColorSchemeIndex(ok ? n : 0);
    TKivPanelsManager& pm = PanelsManager();
    for (TKivStringGrid* g : pm.Panels)
        if (!g->DocumentView()) g->SetColor(ColorScheme.RowColor);
    // One measurement of the new font: every panel's rows and editor take that pitch.
    pm.ApplySchemeFont();

    TWindowSkeleton& k = ctx_.Skeleton();
    if (k.pnlNavPath) SetStripColors(k.pnlNavPath, ColorScheme.RowColor, ColorScheme.FontColor);
    nav_->SetPathColors(ColorScheme.RowColor, ColorScheme.FontColor);
}

void TColorSchemes::ApplyStartScheme() { ApplyColorScheme(windowSettings_->ColorSchemeIndex()); }

void TColorSchemes::ShowEditor() {
    if (!KivIniOpen()) return;
    if (!editor_) {
        Written([] { EnsureBuiltInScheme(KivIni()); });
        editor_ = std::make_unique<TfrmColorScheme>();
        TfrmColorScheme& e = *editor_;
        e.SchemeNames = [] {
            QStringList l;
            for (const std::string& n : SchemeNames(KivIni())) l << QString::fromStdString(n);
            return l;
        };
        e.ReadScheme = [](int n, TColorSchemeRec& rec) {
            return ParseColorScheme(ReadColorScheme(KivIni(), n), rec);
        };
        e.WriteScheme = [](const QString& name, const TColorSchemeRec& rec) {
            return Written(
                [&] { WriteColorScheme(KivIni(), SchemeSection(name.toStdString()), rec); });
        };
        e.AddScheme = [](const QString& name, const TColorSchemeRec& rec) {
            return Written([&] { AddColorScheme(KivIni(), name.toStdString(), rec); });
        };
        e.DeleteScheme = [](int n) { return Written([&] { DeleteColorScheme(KivIni(), n); }); };
        e.ApplyScheme = [this](int n) { ApplyColorScheme(n); };
        e.CurrentSchemeIndex = [this] { return windowSettings_->ColorSchemeIndex(); };
        e.LockedWhileSaving = {QPointer<QWidget>(&ctx_.Window()),
                               QPointer<QWidget>(&collector_->TopWindow())};
        e.Init();
        // Kept above the main window, which the save window disables while it shows.
        SetWindowOwner(&e, &ctx_.Window());
        SetWindowOwner(e.frmSaveScheme, &ctx_.Window());
    }
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
}

}  // namespace kiv
