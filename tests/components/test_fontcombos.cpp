// The font bar's boxes: the shared font list, the size list of a font and who may change
// a size, and the font-name box with its used fonts on top and its preview window.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "components/FontCombos.h"
#include "platform/qt/Fonts.h"

using namespace kiv;

namespace {

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    return items;
}

QStringList ScalableSizes() {
    QStringList sizes;
    for (const char* s : kScalableFontSizes) sizes << QString::fromLatin1(s);
    return sizes;
}

// Picks an item the way a user does: opens the list and clicks the item.
void PickFromList(QComboBox& box, int index) {
    box.showPopup();
    QAbstractItemView* view = box.view();
    ASSERT_TRUE(view->isVisible());
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    const QPoint at = view->visualRect(item).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
    ASSERT_FALSE(view->isVisible());
}

struct Counter {
    int changes = 0, clicks = 0;
    QString fontAtChange;
};

}  // namespace

TEST(SharedFontList, SortedScalableFamiliesWithoutRepeats) {
    const QStringList& list = SharedFontList();
    ASSERT_TRUE(list.contains("DejaVu Sans"));
    for (qsizetype i = 0; i < list.size(); ++i) {
        EXPECT_TRUE(IsScalableFont(list[i])) << list[i].toStdString();
        EXPECT_FALSE(list[i].contains(" [")) << list[i].toStdString();  // no foundry
        if (i > 0) {
            EXPECT_LT(list[i - 1].compare(list[i], Qt::CaseInsensitive), 0)
                << list[i].toStdString();
        }
    }
    RebuildSharedFontList();
    EXPECT_EQ(SharedFontList(), list);
}

TEST(FontSizeComboBox, SizeListOfAFont) {
    struct Case {
        const char* font;
        QStringList sizes;
    };
    const Case cases[] = {
        {"DejaVu Sans", ScalableSizes()},
        {"MS Sans Serif", ScalableSizes()},  // a stored name, drawn by an installed scalable family
        {"", {}},
        {"No Such Font Anywhere", {}},  // nothing to enumerate
    };
    TFontSizeComboBox box;
    for (const Case& c : cases) {
        box.SetFontName(c.font);
        EXPECT_EQ(box.FontName(), c.font);
        EXPECT_EQ(Items(box), c.sizes) << c.font;
    }
    ASSERT_EQ(ScalableSizes().size(), 16);
    EXPECT_EQ(ScalableSizes().front(), "8");
    EXPECT_EQ(ScalableSizes().back(), "72");
}

TEST(FontSizeComboBox, RebuildingAndShowingASizeChangeNothing) {
    TFontSizeComboBox box;
    Counter n;
    box.OnChange = [&](TFontSizeComboBox*) { ++n.changes; };
    box.OnClick = [&](TFontSizeComboBox*) { ++n.clicks; };

    box.setEditText("12");
    box.SetFontName("DejaVu Sans");
    EXPECT_EQ(box.currentText(), "12");
    EXPECT_EQ(box.currentIndex(), box.findText("12"));
    box.setEditText("13");
    box.SetFontName("DejaVu Serif");
    EXPECT_EQ(box.currentText(), "13");  // kept, though no item has it
    EXPECT_EQ(box.currentIndex(), -1);

    struct Case {
        int wanted, shown;
    };
    for (Case c : {Case{13, 14}, Case{12, 12}, Case{7, 8}, Case{100, 72}, Case{72, 72}}) {
        EXPECT_EQ(box.ShowSize(c.wanted), c.shown) << c.wanted;
        EXPECT_EQ(box.currentText(), QString::number(c.shown));
        EXPECT_EQ(box.Size(), c.shown);
    }
    box.SetFontName("");
    EXPECT_EQ(box.ShowSize(13), 13);  // no list: the size itself
    EXPECT_EQ(box.currentText(), "13");
    EXPECT_EQ(n.changes, 0);
    EXPECT_EQ(n.clicks, 0);
}

TEST(FontSizeComboBox, TheUserPicksOrTypesASize) {
    QWidget window;
    auto* box = new TFontSizeComboBox(&window);
    auto* other = new QLineEdit(&window);
    box->move(0, 0);
    other->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    box->SetFontName("DejaVu Sans");
    std::vector<int> applied;
    int clicks = 0;
    box->OnChange = [&](TFontSizeComboBox* s) { applied.push_back(s->Size()); };
    box->OnClick = [&](TFontSizeComboBox*) { ++clicks; };

    // 13 pt text shows 14; picking 14, the item already shown, still applies it.
    box->ShowSize(13);
    PickFromList(*box, box->findText("14"));
    EXPECT_EQ(applied, std::vector<int>{14});
    EXPECT_EQ(clicks, 1);

    box->setFocus();
    QLineEdit* edit = box->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "1");  // no completion to "10"
    QTest::keyClick(edit, Qt::Key_Return);
    edit->selectAll();
    QTest::keyClicks(edit, "16");  // an item: applied once, not once per signal
    QTest::keyClick(edit, Qt::Key_Return);
    edit->selectAll();
    QTest::keyClicks(edit, "15");
    other->setFocus();  // leaving the box commits the typed size
    EXPECT_EQ(applied, (std::vector<int>{14, 1, 16, 15}));
    EXPECT_EQ(box->currentText(), "15");

    for (const char* bad : {"abc", "0", "$10", "99999", "-3"}) {
        box->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, bad);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(box->currentText(), "15") << bad;  // no size: the last one comes back
    }
    EXPECT_EQ(applied.size(), 4u);
    EXPECT_EQ(clicks, 1);
}

class FontNameBox : public ::testing::Test {
protected:
    void SetUp() override {
        box = new TWPopOutFntCBox(&window);
        box->setFixedWidth(200);
        box->OnChange = [this](TWPopOutFntCBox* s) {
            ++n.changes;
            n.fontAtChange = s->FontName();
        };
        box->OnClick = [this](TWPopOutFntCBox*) { ++n.clicks; };
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Names of our own, so the test does not depend on how many fonts are installed.
    void UseNames() {
        box->clear();
        for (int i = 0; i < 10; ++i) box->addItem(QStringLiteral("F%1").arg(i));
    }

    QWidget window;
    TWPopOutFntCBox* box = nullptr;
    Counter n;
};

TEST_F(FontNameBox, StartsWithTheStoredDefault) {
    EXPECT_EQ(Items(*box), SharedFontList());
    EXPECT_EQ(box->FontName(), "MS Sans Serif");
    EXPECT_EQ(box->currentIndex(), -1);  // not installed: no item, but the box shows the name
    EXPECT_EQ(box->placeholderText(), "MS Sans Serif");
    EXPECT_EQ(box->PopUpWidth(), 300);
    EXPECT_EQ(box->PopUpHeight(), 75);
    EXPECT_EQ(box->Preview()->size(), QSize(300, 75));
    EXPECT_EQ(box->DropDownCount(), 8);
    EXPECT_TRUE(box->MoveUsedToTop());
    EXPECT_EQ(box->LastUsedIndex(), -1);
    EXPECT_EQ(box->PreviewText(), "");

    box->SetFontName("DejaVu Sans");
    EXPECT_EQ(box->currentText(), "DejaVu Sans");
    EXPECT_EQ(box->placeholderText(), "");
    EXPECT_EQ(QFontInfo(box->Preview()->Panel1->font()).family(), "DejaVu Sans");
    box->SetFontName("Arial");
    EXPECT_EQ(box->FontName(), "Arial");  // kept as stored
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->Preview()->Panel1->font().family(), SubstituteFontName("Arial"));
    box->SetPopUpWidth(120);
    box->SetPopUpHeight(40);
    EXPECT_EQ(box->Preview()->size(), QSize(120, 40));
    EXPECT_EQ(n.changes + n.clicks, 0);  // none of this was the user
}

TEST_F(FontNameBox, ChosenFontsMoveToTheTop) {
    UseNames();
    box->showPopup();  // the list drops below the box with DropDownCount rows
    EXPECT_EQ(box->view()->viewport()->height() / box->view()->sizeHintForRow(0), 8);
    EXPECT_GE(box->view()->mapToGlobal(QPoint(0, 0)).y(),
              box->mapToGlobal(QPoint(0, box->height())).y());
    box->hidePopup();
    PickFromList(*box, 4);
    EXPECT_EQ(Items(*box).mid(0, 6), (QStringList{"F4", "F0", "F1", "F2", "F3", "F5"}));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(box->FontName(), "F4");
    EXPECT_EQ(box->LastUsedIndex(), 0);
    EXPECT_EQ(n.changes, 1);
    EXPECT_EQ(n.clicks, 1);
    EXPECT_EQ(n.fontAtChange, "F4");  // the change event sees the chosen face

    PickFromList(*box, 7);  // F7
    EXPECT_EQ(Items(*box).mid(0, 3), (QStringList{"F7", "F4", "F0"}));
    EXPECT_EQ(box->LastUsedIndex(), 1);
    PickFromList(*box, 1);  // F4 again: already among the used ones
    EXPECT_EQ(Items(*box).mid(0, 3), (QStringList{"F4", "F7", "F0"}));
    EXPECT_EQ(box->LastUsedIndex(), 1);
    EXPECT_EQ(n.changes, 3);
    EXPECT_EQ(n.fontAtChange, "F4");

    // The arrow keys on the closed box change the font but reorder nothing.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->FontName(), "F7");
    EXPECT_EQ(Items(*box).mid(0, 3), (QStringList{"F4", "F7", "F0"}));
    EXPECT_EQ(n.changes, 4);

    // Closing the list without a choice changes nothing.
    box->showPopup();
    QTest::keyClick(box->view(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(box->view()->isVisible());
    EXPECT_EQ(box->FontName(), "F7");
    EXPECT_EQ(n.changes, 4);

    // A platform that reports the choice before it closes the list: the same result.
    box->showPopup();
    const QString face = box->itemText(6);
    emit box->activated(6);
    box->hidePopup();
    EXPECT_EQ(box->itemText(0), face);
    EXPECT_EQ(box->FontName(), face);
    EXPECT_EQ(box->LastUsedIndex(), 2);
    EXPECT_EQ(n.changes, 5);
    EXPECT_EQ(n.clicks, 5);

    box->SetMoveUsedToTop(false);
    PickFromList(*box, 5);
    EXPECT_EQ(box->itemText(5), box->FontName());
    EXPECT_EQ(n.changes, 6);
}

TEST_F(FontNameBox, TwoLinesUnderTheLastUsedFont) {
    UseNames();
    PickFromList(*box, 3);
    PickFromList(*box, 5);
    ASSERT_EQ(box->LastUsedIndex(), 1);
    QStyleOptionViewItem option;
    option.initFrom(box->view());
    option.font = box->font();
    option.palette.setColor(QPalette::Base, Qt::white);
    option.palette.setColor(QPalette::Text, Qt::black);
    option.state = QStyle::State_Enabled;
    const int h = box->itemDelegate()->sizeHint(option, box->model()->index(0, 0)).height();
    option.rect = QRect(0, 0, 150, h);
    auto render = [&](int row) {
        QImage img(150, h, QImage::Format_RGB32);
        img.fill(Qt::red);
        QPainter p(&img);
        box->itemDelegate()->paint(&p, option, box->model()->index(row, 0));
        return img;
    };
    const QImage used = render(1), other = render(0);
    for (int x : {0, 149}) {
        EXPECT_EQ(QColor(used.pixel(x, h - 3)), QColor(Qt::black)) << x;
        EXPECT_EQ(QColor(used.pixel(x, h - 1)), QColor(Qt::black)) << x;
        EXPECT_EQ(QColor(used.pixel(x, h - 2)), QColor(Qt::white)) << x;
        EXPECT_EQ(QColor(other.pixel(x, h - 3)), QColor(Qt::white)) << x;
        EXPECT_EQ(QColor(other.pixel(x, h - 1)), QColor(Qt::white)) << x;
    }
    box->SetMoveUsedToTop(false);
    EXPECT_EQ(QColor(render(1).pixel(0, h - 3)), QColor(Qt::white));
}

TEST_F(FontNameBox, PreviewShowsTheSelectedWordInTheHighlightedFace) {
    auto* edit = new QLineEdit("some words here", &window);
    edit->move(0, 60);
    box->SetAttachedEdit(edit);
    edit->setSelection(5, 5);  // "words"
    int dropDowns = 0;
    box->OnDropDown = [&](TWPopOutFntCBox* s) {
        ++dropDowns;
        EXPECT_TRUE(s->DroppedDown());
    };
    box->showPopup();
    EXPECT_EQ(dropDowns, 1);
    EXPECT_TRUE(box->Preview()->isVisible());
    EXPECT_EQ(box->PreviewText(), "words");
    EXPECT_EQ(box->Preview()->Panel1->text(), "words");
    const int serif = box->findText("DejaVu Serif");
    ASSERT_GE(serif, 0);
    emit box->highlighted(serif);  // the item under the mouse in the open list
    EXPECT_EQ(QFontInfo(box->Preview()->Panel1->font()).family(), "DejaVu Serif");
    EXPECT_EQ(box->Preview()->Panel1->palette().color(QPalette::Window),
              box->palette().color(QPalette::ToolTipBase));
    box->hidePopup();
    EXPECT_FALSE(box->Preview()->isVisible());
    EXPECT_FALSE(box->DroppedDown());

    edit->deselect();
    box->showPopup();
    EXPECT_EQ(box->PreviewText(), "AaBbYyZz");
    box->hidePopup();
    EXPECT_EQ(n.changes, 0);
}

TEST_F(FontNameBox, PreviewStaysOnTheScreen) {
    const QRect screen(0, 0, 800, 600);
    const QSize preview(300, 75);
    struct Case {
        QRect box;
        QPoint at;
    };
    const Case cases[] = {
        {QRect(100, 100, 200, 24), QPoint(300, 124)},  // below the right corner
        {QRect(400, 100, 200, 24), QPoint(100, 124)},  // would pass the right edge: left of the box
        {QRect(100, 540, 200, 24), QPoint(300, 465)},  // would pass the bottom: above the box
        {QRect(400, 540, 200, 24), QPoint(100, 465)},
        {QRect(300, 501, 200, 24), QPoint(500, 525)},  // exactly fits: 500 + 300, 525 + 75
    };
    for (const Case& c : cases)
        EXPECT_EQ(TWPopOutFntCBox::PreviewPosition(c.box, preview, screen), c.at);

    // On the real screen: a box at its bottom right opens the preview above and left.
    const QRect avail = window.screen()->geometry();
    window.move(avail.right() - window.width() - 10, avail.bottom() - window.height() - 10);
    box->move(window.width() - box->width(), window.height() - box->height());
    QApplication::processEvents();
    box->showPopup();
    const QPoint boxAt = box->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(box->Preview()->pos(), QPoint(boxAt.x() - 300, boxAt.y() - 75));
    box->hidePopup();
}
