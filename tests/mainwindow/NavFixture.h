#pragma once
// The main window open on a tree, with its three panels and the path at hand, for the
// tests of the navigation path and of hoisting.
#include <ostream>

#include "components/FourthTabSet.h"
#include "mainwindow/hoist/Hoisting.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "tests/mainwindow/WindowFixture.h"

// Failures show the texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kiv::wintest {

class NavFixture : public PanelsWindow {
protected:
    TNavigationPath* nav = nullptr;
    THoisting* h = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        nav = &f->NavPath();
        h = &f->Hoist();
    }
    QStringList Path() const { return nav->tsNavigator->Tabs().Strings(); }
    QString Caption(TKivStringGrid* g) const {
        return QString::fromStdString(g->Nester->Caption(g->CurrentRow()));
    }
    QString Current() const { return Caption(f->CurrentGrid()); }
    QStringList Rows(TKivStringGrid* g) const {
        QStringList r;
        for (int i = 0; i < g->Nester->RowCount(); ++i)
            r << QString::fromStdString(g->Nester->Caption(i));
        return r;
    }
};

}  // namespace kiv::wintest
