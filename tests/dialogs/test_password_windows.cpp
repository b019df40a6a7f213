// The set-password and enter-password windows: what each step enables, and what OK stores.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <memory>

#include "dialogs/PasswordWindows.h"
#include "engine/core/Navigation.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

class PasswordWindows : public ::testing::Test {
protected:
    TestEnvironment env;
    TBookMarkPtr bookMark = std::make_shared<TBookMark>();
};

// The enabled state of the set window's controls, in one string: old, new, repeat,
// without, OK, each 1 or 0.
std::string Enabled(const TfrmSetPassword& w) {
    std::string s;
    for (const QWidget* c :
         {static_cast<const QWidget*>(w.edtOld), static_cast<const QWidget*>(w.edtNew),
          static_cast<const QWidget*>(w.edtRepeat),
          static_cast<const QWidget*>(w.cbxWithoutPassword), static_cast<const QWidget*>(w.btnOK)})
        s += c->isEnabled() ? '1' : '0';
    // The labels follow their fields.
    EXPECT_EQ(w.lblOld->isEnabled(), w.edtOld->isEnabled());
    EXPECT_EQ(w.lblNew->isEnabled(), w.edtNew->isEnabled());
    EXPECT_EQ(w.lblRepeat->isEnabled(), w.edtRepeat->isEnabled());
    return s;
}

TEST_F(PasswordWindows, EveryFieldTakesFifteenCharactersShownAsStars) {
    TfrmSetPassword set;
    TfrmEnterPassword enter;
    for (QLineEdit* e : {set.edtOld, set.edtNew, set.edtRepeat, enter.edtPassword}) {
        e->setEnabled(true);  // as each is at some step
        QTest::keyClicks(e, QStringLiteral("abcdefghijklmnop"));
        EXPECT_EQ(e->text(), QStringLiteral("abcdefghijklmno")) << e->objectName().toStdString();
        EXPECT_EQ(e->echoMode(), QLineEdit::Password);
        EXPECT_EQ(e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e), '*');
    }
}

TEST_F(PasswordWindows, TheSetWindowEnablesStepByStep) {
    struct Step {
        const char* field;  // "old", "new", "repeat" (text replaced) or "without" (clicked)
        const char* text;
        const char* enabled;
    };
    const struct {
        const char* password;
        std::vector<Step> steps;
        const char* stored;  // after OK; nullptr when OK stays disabled
    } cases[] = {
        // Without a password: no old one needed; new and repeat must be equal, case and all.
        {"",
         {{"new", "Key1", "01110"}, {"repeat", "key1", "01110"}, {"repeat", "Key1", "01111"}},
         "Key1"},
        // Two empty fields are equal, yet no password: typed and taken back, OK stays off.
        {"", {{"new", "K", "01110"}, {"new", "", "01110"}, {"repeat", "", "01110"}}, nullptr},
        // With one: only the old field until it is right; "Without Password" then stays offered,
        // and spoiling the old password afterwards keeps OK.
        {"Key1",
         {{"old", "key1", "10000"},
          {"old", "Key1", "11110"},
          {"without", "", "11111"},
          {"old", "Key", "10011"}},
         ""},
        {"Key1",
         {{"old", "Key1", "11110"}, {"new", "New2", "11110"}, {"repeat", "New2", "11111"}},
         "New2"},
        // "Without Password" wins over a new password typed twice.
        {"Key1",
         {{"old", "Key1", "11110"},
          {"new", "New2", "11110"},
          {"repeat", "New2", "11111"},
          {"without", "", "11111"}},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        bookMark->Password = c.password;
        bookMark->PasswordAccepted = false;
        TfrmSetPassword w;
        w.SetBookMark(bookMark);
        w.show();
        EXPECT_EQ(Enabled(w), *c.password ? "10000" : "01110");
        for (const Step& s : c.steps) {
            SCOPED_TRACE(std::string(s.field) + " " + s.text);
            if (std::string(s.field) == "without") {
                w.cbxWithoutPassword->click();
            } else {
                QLineEdit* e = std::string(s.field) == "old"   ? w.edtOld
                               : std::string(s.field) == "new" ? w.edtNew
                                                               : w.edtRepeat;
                e->clear();
                QTest::keyClicks(e, QString::fromLatin1(s.text));
            }
            EXPECT_EQ(Enabled(w), s.enabled);
        }
        QTest::keyClick(&w, Qt::Key_Return);
        if (c.stored) {
            EXPECT_FALSE(w.isVisible());
            EXPECT_EQ(bookMark->Password, c.stored);
            EXPECT_TRUE(bookMark->PasswordAccepted);
        } else {
            EXPECT_TRUE(w.isVisible()) << "Enter does nothing while OK is disabled";
            EXPECT_EQ(bookMark->Password, c.password);
        }
    }
}

TEST_F(PasswordWindows, TheSetWindowStartsEmptyEachTimeAndEscChangesNothing) {
    bookMark->Password = "Key1";
    TfrmSetPassword w;
    w.SetBookMark(bookMark);
    w.show();
    QTest::keyClicks(w.edtOld, QStringLiteral("Key1"));
    w.cbxWithoutPassword->click();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(bookMark->Password, "Key1");
    w.show();
    EXPECT_TRUE(w.edtOld->text().isEmpty());
    EXPECT_FALSE(w.cbxWithoutPassword->isChecked());
    EXPECT_EQ(Enabled(w), "10000");
}

TEST_F(PasswordWindows, AStoredFormRefusedKeepsTheWindowAndThePassword) {
    TfrmSetPassword w;
    w.SetBookMark(bookMark);
    int asked = 0;
    w.StoredForm = [&](const QString&) -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    };
    w.show();
    QTest::keyClicks(w.edtNew, QStringLiteral("abc"));
    QTest::keyClicks(w.edtRepeat, QStringLiteral("abc"));
    w.btnOK->click();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(bookMark->Password, "");
    EXPECT_FALSE(bookMark->PasswordAccepted);
}

TEST_F(PasswordWindows, TheEnterWindowOpensOnlyForTheExactPassword) {
    bookMark->Password = "Key1";
    TfrmEnterPassword w;
    w.SetBookMark(bookMark);
    int released = 0;
    w.PasswordAccepted = [&] { ++released; };
    const struct {
        const char* typed;
        bool ok;
    } cases[] = {{"key1", false}, {"Key", false}, {"Key1 ", false}, {"", false}, {"Key1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        w.show();
        EXPECT_FALSE(w.btnOK->isEnabled());
        QTest::keyClicks(w.edtPassword, QString::fromLatin1(c.typed));
        EXPECT_EQ(w.btnOK->isEnabled(), c.ok);
        QTest::keyClick(w.edtPassword, Qt::Key_Return);
        EXPECT_EQ(w.isVisible(), !c.ok);
        EXPECT_EQ(bookMark->PasswordAccepted, c.ok);
        EXPECT_EQ(released, c.ok ? 1 : 0);
        w.hide();
    }
}

}  // namespace
}  // namespace kiv
