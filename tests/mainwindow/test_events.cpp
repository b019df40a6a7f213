// The window's events: handlers run in the order they were subscribed, a refusal of a topic
// leaving stops the change, a topic click and a close reach the panes through them.
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>
#include <string>
#include <vector>

#include "mainwindow/search/SearchPane.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

TEST(WindowEvents, HandlersRunInSubscriptionOrderAndARefusalStopsTheRest) {
    struct Case {
        int refuser;  // the handler that refuses, -1 for none
        std::string heard;
        bool fired;
    };
    for (const Case& c : {Case{-1, "012", true}, Case{0, "0", false}, Case{1, "01", false},
                          Case{2, "012", false}}) {
        TRefusableEvent<int> leaving;
        std::string heard;
        for (int i = 0; i < 3; ++i)
            leaving.Subscribe([&heard, i, &c](int arg, bool& refuse) {
                EXPECT_EQ(arg, 7);
                heard += char('0' + i);
                if (i == c.refuser) refuse = true;
            });
        EXPECT_EQ(leaving.Fire(7), c.fired) << "refuser " << c.refuser;
        EXPECT_EQ(heard, c.heard) << "refuser " << c.refuser;
    }
    TWindowEvent<int, int> shown;
    std::vector<int> sums;
    shown.Subscribe([&](int a, int b) { sums.push_back(a + b); });
    shown.Subscribe([&](int a, int b) { sums.push_back(a * b); });
    shown.Fire(2, 3);
    EXPECT_EQ(sums, (std::vector<int>{5, 6}));
    TWindowEvent<> none;
    none.Fire();  // no handler: nothing happens
}

namespace {
struct IGreeter {
    virtual ~IGreeter() = default;
    virtual std::string Greet() const = 0;
};
struct TGreeter : IGreeter {
    std::string Greet() const override { return "hello"; }
};
}  // namespace

TEST(PublishedInterfaces, ANeedDeclaredBeforeThePublisherIsMadeIsFilledLater) {
    TPublished published;
    TNeed<IGreeter> need(published);
    EXPECT_THROW(need->Greet(), std::logic_error) << "used before anybody published it";
    EXPECT_THROW(published.CheckNeedsFilled(), std::logic_error);
    TGreeter greeter;
    published.Publish<IGreeter>(greeter);
    EXPECT_NO_THROW(published.CheckNeedsFilled());
    EXPECT_EQ(need->Greet(), "hello");
    EXPECT_THROW(published.Publish<IGreeter>(greeter), std::logic_error) << "published twice";
}

TEST(ActionRegistry, FindsEveryActionOfTheWindowByNameAndRefusesTwoOfOneName) {
    QObject root;
    auto* a = new KivAction(QStringLiteral("A"), &root);
    a->setObjectName(QStringLiteral("acA"));
    auto* child = new QObject(&root);
    auto* b = new KivAction(QStringLiteral("B"), child);
    b->setObjectName(QStringLiteral("acB"));
    TActionRegistry actions;
    EXPECT_THROW(actions.Find(QStringLiteral("acA")), std::logic_error) << "before attaching";
    actions.Attach(root);
    EXPECT_EQ(actions.Find(QStringLiteral("acA")), a) << "found while the window is built";
    EXPECT_EQ(actions.Find(QStringLiteral("acLater")), nullptr);
    auto* later = new KivAction(QStringLiteral("Later"), child);
    later->setObjectName(QStringLiteral("acLater"));
    EXPECT_EQ(actions.Find(QStringLiteral("acLater")), later) << "found once it is made";
    actions.Collect();
    EXPECT_EQ(&actions.Get(QStringLiteral("acB")), b) << "an action owned by a feature";
    EXPECT_EQ(actions.Find(QStringLiteral("acC")), nullptr);
    EXPECT_THROW(actions.Get(QStringLiteral("acC")), std::logic_error);
    (new KivAction(QStringLiteral("A again"), child))->setObjectName(QStringLiteral("acA"));
    EXPECT_THROW(actions.Collect(), std::logic_error);
}

TEST_F(WindowFixture, EveryNeedOfTheFeaturesIsFilledAndBusyChangesAreHeard) {
    TForm1* f = Start();
    EXPECT_NO_THROW(f->Published().CheckNeedsFilled());
    std::vector<bool> heard;
    f->Events().BusyChanged.Subscribe([&](bool busy) { heard.push_back(busy); });
    {
        TBusyGuard outer(f->BusyCounter());
        TBusyGuard inner(f->BusyCounter());
        EXPECT_TRUE(f->IsBusy());
    }
    EXPECT_FALSE(f->IsBusy());
    EXPECT_EQ(heard, (std::vector<bool>{true, false})) << "once up, once down, for nested scopes";
}

using Events = PanelsWindow;

TEST_F(Events, ARefusedTopicLeavingKeepsThePanesOnTheTopicLeft) {
    Open("a b c");
    bool refuse = true;
    std::vector<int> shownRows;
    f->Events().TopicLeaving.Subscribe([&](TKivStringGrid*, int, bool& r) { r = refuse; });
    f->Events().TopicShown.Subscribe([&](TKivStringGrid* g, int row) {
        EXPECT_EQ(g, p1);
        // The frame's own handlers ran first: the text card shows the topic already.
        EXPECT_EQ(f->TextCard().lblCurDescr->text(),
                  QString::fromStdString(p1->Nester->Caption(row)));
        shownRows.push_back(row);
    });
    ASSERT_EQ(p1->CurrentRow(), 0);
    ClickRow(p1, 1);
    EXPECT_TRUE(shownRows.empty()) << "no topic shown after a refusal";
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("a"));
    refuse = false;
    ClickRow(p1, 2);
    EXPECT_EQ(shownRows, (std::vector<int>{2}));
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("c"));
    Stop();  // before the handlers' locals go
}

TEST_F(Events, AClosePassesClosingWhileTheFilesAreOpenThenClosed) {
    Open("a b");
    f->Search().edKeywords->setText(QStringLiteral("b"));
    std::string heard;
    f->Events().DatastructureClosing.Subscribe([&] {
        heard += "closing ";
        EXPECT_TRUE(f->DatastructureOpen());
        EXPECT_TRUE(f->Search().edKeywords->text().isEmpty()) << "the search pane was cleared";
    });
    f->Events().DatastructureClosed.Subscribe([&] {
        heard += "closed";
        EXPECT_FALSE(f->DatastructureOpen());
        EXPECT_NE(f->TextCard().lblCurDescr->text(), QStringLiteral("a")) << "no topic shown";
    });
    f->Datastructure().CloseDatastructure();
    EXPECT_EQ(heard, "closing closed");
    heard.clear();
    f->Datastructure().CloseDatastructure();
    EXPECT_EQ(heard, "closed") << "nothing open, nothing closing";
    Stop();  // before the handlers' locals go
}

}  // namespace
}  // namespace kiv::wintest
