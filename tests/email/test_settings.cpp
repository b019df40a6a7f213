// The mail settings window over "userset.ini".
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <sys/stat.h>

#include "platform/core/IniFile.h"
#include "platform/core/KivStrings.h"
#include "tests/email/EmailFixture.h"

namespace kiv::test {
namespace {

using MailSettingsWindow = EmailFixture;

TEST_F(MailSettingsWindow, ReadsItsDefaultsAndWritesTheKeysInOrderInAPrivateFile) {
    TfrmEmailSettings& s = *w->frmEmailSettings;
    EXPECT_EQ(s.windowTitle(), "Email Settings:");
    EXPECT_EQ(s.edtPort->text(), "25");
    EXPECT_EQ(s.edtFrom->text(), "");
    EXPECT_TRUE(s.chbSendMe->isChecked());
    EXPECT_TRUE(s.chbSendMe->isHidden());
    EXPECT_EQ(s.edtPassword->echoMode(), QLineEdit::Password);
    const std::string path = env.Dir() + "userset.ini";
    EXPECT_FALSE(FileExists(path));

    s.show();
    s.edtFrom->setText("me@x.org");
    s.edtName->setText(" Me ");
    s.edtSMTP->setText("smtp.x.org");
    s.edtPort->setText("587");
    s.edtUserID->setText("me");
    s.edtPassword->setText("pw");
    s.chbSendMe->setChecked(false);
    s.btnSaveSMTP->click();
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(
        ReadWholeFile(path),
        "[MailSettings]\r\nFrom=me@x.org\r\nName= Me \r\nSMTP=smtp.x.org\r\nPort=587\r\nUserID=me\r\nPassword=pw\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The mode stays through the next replace.
    s.edtPort->setText("2525");
    s.SaveMailSettings();
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    Make();
    EXPECT_EQ(w->frmEmailSettings->edtPort->text(), "2525");
    EXPECT_EQ(w->frmEmailSettings->edtName->text(), "Me");  // values are read trimmed
}

TEST_F(MailSettingsWindow, CancelPutsBackWhatTheFileHolds) {
    WriteFileAtomic(env.Dir() + "userset.ini", "[MailSettings]\r\nSMTP=kept.org\r\nSendMe=0\r\n");
    Make();
    TfrmEmailSettings& s = *w->frmEmailSettings;
    EXPECT_EQ(s.edtSMTP->text(), "kept.org");
    EXPECT_FALSE(s.chbSendMe->isChecked());
    s.show();
    s.edtSMTP->setText("typed.org");
    s.btnCancelSMTP->click();
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.edtSMTP->text(), "kept.org");
    s.show();
    s.edtSMTP->setText("typed.org");
    s.reject();  // Esc
    EXPECT_EQ(s.edtSMTP->text(), "kept.org");
    EXPECT_EQ(ReadWholeFile(env.Dir() + "userset.ini"),
              "[MailSettings]\r\nSMTP=kept.org\r\nSendMe=0\r\n");
}

TEST_F(MailSettingsWindow, AWriteThatIsRefusedIsToldAndKeepsWhatWasTyped) {
    // A folder where the file should be: nothing can replace it.
    ASSERT_TRUE(MakeDirs(env.Dir() + "userset.ini"));
    Make();
    TfrmEmailSettings& s = *w->frmEmailSettings;
    s.show();
    s.edtFrom->setText("typed@x.org");
    s.SaveMailSettings();
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error);
    EXPECT_FALSE(s.isHidden());
    EXPECT_EQ(s.edtFrom->text(), "typed@x.org");
}

}  // namespace
}  // namespace kiv::test
