// The tray icon over a recording backend: what reaches the notification area and when,
// and which event each kind of click fires. One test runs the real backend on a desktop
// without a tray.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenu>
#include <QPixmap>
#include <memory>
#include <string>
#include <vector>

#include "components/TrayIcon.h"

namespace kiv {
namespace {

struct Call {
    std::string kind;
    QString tip;
    qint64 iconKey;
};

class RecordingBackend : public TTrayIconBackend {
public:
    explicit RecordingBackend(std::vector<Call>& log) : log_(log) {}
    bool Add(const QIcon& icon, const QString& tip) override { return Record("add", icon, tip); }
    bool Modify(const QIcon& icon, const QString& tip) override {
        return Record("modify", icon, tip);
    }
    bool Delete() override { return Record("delete", QIcon(), QString()); }
    QPoint CursorPos() const override { return {300, 400}; }

private:
    bool Record(const char* kind, const QIcon& icon, const QString& tip) {
        log_.push_back({kind, tip, icon.cacheKey()});
        return true;
    }
    std::vector<Call>& log_;
};

std::vector<std::string> Kinds(const std::vector<Call>& log) {
    std::vector<std::string> k;
    for (const Call& c : log) k.push_back(c.kind);
    return k;
}

QIcon RedIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    return QIcon(pm);
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        auto backend = std::make_unique<RecordingBackend>(log);
        recorder = backend.get();
        tray = std::make_unique<TTrayIcon>(nullptr, std::move(backend));
    }

    std::vector<Call> log;
    RecordingBackend* recorder;
    std::unique_ptr<TTrayIcon> tray;
};

TEST_F(TrayIconTest, ConstructedInactiveAndEmpty) {
    EXPECT_FALSE(tray->Active());
    EXPECT_TRUE(tray->Icon().isNull());
    EXPECT_TRUE(tray->ToolTip().isEmpty());
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    EXPECT_EQ(&tray->Backend(), recorder);
    EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconTest, ToolTipIsCutTo62Characters) {
    const QString seventy = QString("0123456789").repeated(7);
    tray->SetToolTip(seventy);
    EXPECT_EQ(tray->ToolTip(), seventy.left(62));
    tray->SetActive(true);
    ASSERT_EQ(Kinds(log), (std::vector<std::string>{"add"}));
    EXPECT_EQ(log[0].tip, seventy.left(62));
    EXPECT_EQ(log[0].tip.size(), 62);

    tray->SetToolTip("KIV");
    EXPECT_EQ(log.back().kind, "modify");
    EXPECT_EQ(log.back().tip, "KIV");
}

TEST_F(TrayIconTest, ToolTipIsNotCutInsideACharacter) {
    // 61 letters, then a character of two UTF-16 units that would straddle the limit.
    const QString tip = QString(61, 'a') + QString::fromUtf8("\xF0\x9F\x93\x8C") + "bc";
    tray->SetToolTip(tip);
    EXPECT_EQ(tray->ToolTip(), QString(61, 'a'));
    tray->SetToolTip(QString(60, 'a') + QString::fromUtf8("\xF0\x9F\x93\x8C") + "bc");
    EXPECT_EQ(tray->ToolTip().size(), 62);
}

TEST_F(TrayIconTest, OneAddForTwoActivationsAndOneDelete) {
    tray->SetToolTip("KIV");
    tray->SetActive(true);
    tray->SetActive(true);
    tray->SetActive(false);
    tray->SetActive(false);
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add", "delete"}));
    tray->SetActive(true);
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add", "delete", "add"}));
}

TEST_F(TrayIconTest, NothingReachesTheTrayWhileInactive) {
    const QIcon red = RedIcon();
    tray->SetIcon(red);
    tray->SetToolTip("Collector");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(tray->Icon().cacheKey(), red.cacheKey());
    // Activated, the icon comes with what was set before.
    tray->SetActive(true);
    ASSERT_EQ(Kinds(log), (std::vector<std::string>{"add"}));
    EXPECT_EQ(log[0].tip, "Collector");
    EXPECT_EQ(log[0].iconKey, red.cacheKey());
    tray->SetActive(false);
    log.clear();
    tray->SetIcon(RedIcon());
    tray->SetToolTip("Other");
    tray.reset();  // destroyed while inactive: nothing to take out
    EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconTest, IconChangesAreSentWhileActive) {
    tray->SetToolTip("KIV");
    tray->SetActive(true);
    const QIcon red = RedIcon();
    tray->SetIcon(red);
    ASSERT_EQ(Kinds(log), (std::vector<std::string>{"add", "modify"}));
    EXPECT_EQ(log[1].iconKey, red.cacheKey());
    tray->SetIcon(red);  // the same icon: nothing to send
    EXPECT_EQ(log.size(), 2u);
    tray.reset();  // destroyed while active: the icon is taken out
    EXPECT_EQ(log.back().kind, "delete");
}

TEST_F(TrayIconTest, EmptyToolTipIsGivenAgainOnceTheIconStands) {
    tray->SetActive(true);
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add"}));
    QCoreApplication::sendPostedEvents(tray.get());
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add", "modify"}));

    // With a tooltip there is nothing to repeat.
    tray->SetActive(false);
    tray->SetToolTip("KIV");
    log.clear();
    tray->SetActive(true);
    QCoreApplication::sendPostedEvents(tray.get());
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add"}));
}

struct ReasonCase {
    QSystemTrayIcon::ActivationReason reason;
    const char* fired;  // "" for none
};

class TrayIconReasonTest : public TrayIconTest, public ::testing::WithParamInterface<ReasonCase> {};

TEST_P(TrayIconReasonTest, ClickReasonsMapToEvents) {
    std::vector<std::string> fired;
    tray->OnClick = [&](TTrayIcon* s) {
        EXPECT_EQ(s, tray.get());
        fired.push_back("click");
    };
    tray->OnDblClick = [&](TTrayIcon*) { fired.push_back("dblclick"); };
    tray->OnRightClick = [&](TTrayIcon*, TTrayIcon::TMouseButton b, TShiftState shift, int x,
                             int y) {
        EXPECT_EQ(b, TTrayIcon::mbRight);
        EXPECT_TRUE(shift.Empty());
        EXPECT_EQ(QPoint(x, y), QPoint(300, 400));  // where the pointer is
        fired.push_back("rightclick");
    };
    tray->SetActive(true);
    recorder->OnActivated(GetParam().reason);
    const std::string expected = GetParam().fired;
    EXPECT_EQ(fired,
              expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Reasons, TrayIconReasonTest,
                         ::testing::Values(ReasonCase{QSystemTrayIcon::Trigger, "click"},
                                           ReasonCase{QSystemTrayIcon::DoubleClick, "dblclick"},
                                           ReasonCase{QSystemTrayIcon::Context, "rightclick"},
                                           ReasonCase{QSystemTrayIcon::MiddleClick, ""},
                                           ReasonCase{QSystemTrayIcon::Unknown, ""}));

TEST_F(TrayIconTest, ClicksWithoutHandlersOrMenuDoNothing) {
    tray->SetActive(true);
    for (auto r :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context})
        EXPECT_NO_THROW(recorder->OnActivated(r));
    EXPECT_EQ(Kinds(log), (std::vector<std::string>{"add"}));
}

TEST_F(TrayIconTest, RightClickOpensThePopupMenuBeforeTheEvent) {
    QMenu menu;
    menu.addAction("Exit KIV");
    tray->SetPopupMenu(&menu);
    bool shownFirst = false;
    tray->OnRightClick = [&](TTrayIcon*, TTrayIcon::TMouseButton, TShiftState, int, int) {
        shownFirst = menu.isVisible();
    };
    tray->SetActive(true);
    recorder->OnActivated(QSystemTrayIcon::Context);
    EXPECT_TRUE(shownFirst);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST(TrayIconSystemTest, DesktopWithoutATrayIsTolerated) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a tray";
    TTrayIcon tray;
    tray.SetToolTip("KIV");
    tray.SetActive(true);
    EXPECT_TRUE(tray.Active());
    tray.SetIcon(RedIcon());
    tray.SetToolTip("KIV is run");
    EXPECT_EQ(tray.ToolTip(), "KIV is run");
    EXPECT_FALSE(tray.Backend().Modify(tray.Icon(), tray.ToolTip()));  // nobody to show it
    tray.SetActive(false);
    EXPECT_FALSE(tray.Active());
}

}  // namespace
}  // namespace kiv
