// The dialogs service: the class library's calls, the fake's script, the dialog
// components and the Windows filters.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/qt/Dialogs.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

namespace {
class DialogsTest : public ::testing::Test {
protected:
    TestEnvironment env;
    FakeDialogs& fake = env.Dialogs();
};
}  // namespace

TEST_F(DialogsTest, MessageBoxesCarryTypeButtonsCaptionAndHelpContext) {
    fake.AnswerMessage(IDNO);
    fake.AnswerMessage(IDOK);
    EXPECT_EQ(MessageDlg("Do you want to proceed in any case?", MsgType::Confirmation,
                         MsgButtons::YesNo),
              IDNO);
    EXPECT_EQ(MessageDlg("This file is now quite large", MsgType::Information, MsgButtons::OK, 112,
                         true),
              IDOK);
    MessageDlg("Can't edit text card, topic is locked.", MsgType::Warning,
               MsgButtons::OK);  // unscripted
    ShowMessage("Rowsize too small");
    EXPECT_EQ(MessageBox("text", "Own caption", MsgType::Error, MsgButtons::OKCancel), IDOK);

    ASSERT_EQ(fake.Messages.size(), 5u);
    EXPECT_EQ(fake.Messages[0].Caption, "Confirm");
    EXPECT_EQ(fake.Messages[0].Type, MsgType::Confirmation);
    EXPECT_EQ(fake.Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_EQ(fake.Messages[1].Caption, "Information");
    EXPECT_TRUE(fake.Messages[1].HelpButton);
    EXPECT_EQ(fake.Messages[1].HelpContext, 112);
    EXPECT_EQ(fake.Messages[2].Caption, "Warning");
    EXPECT_EQ(fake.Messages[3].Caption, "KIV");  // the plain box: the program's title, no icon
    EXPECT_EQ(fake.Messages[3].Type, MsgType::None);
    EXPECT_EQ(fake.Messages[4].Caption, "Own caption");
    EXPECT_EQ(fake.Unscripted, 3);
    EXPECT_EQ(fake.MessageTexts().at(3), "Rowsize too small");
    EXPECT_EQ(fake.PendingAnswers(), 0u);
    EXPECT_EQ(DefaultCaption(MsgType::Error), "Error");
}

TEST_F(DialogsTest, ResultCodesAndWhatEachButtonSetCanAnswer) {
    EXPECT_EQ(IDOK, 1);
    EXPECT_EQ(IDCANCEL, 2);
    EXPECT_EQ(IDYES, 6);
    EXPECT_EQ(IDNO, 7);
    struct Case {
        MsgButtons set;
        int code;
        bool fits;
    };
    const Case cases[] = {
        {MsgButtons::OK, IDOK, true},
        {MsgButtons::OK, IDCANCEL, false},
        {MsgButtons::OKCancel, IDCANCEL, true},
        {MsgButtons::OKCancel, IDYES, false},
        {MsgButtons::YesNo, IDYES, true},
        {MsgButtons::YesNo, IDNO, true},
        {MsgButtons::YesNo, IDOK, false},
        {MsgButtons::YesNo, IDCANCEL, false},
        {MsgButtons::YesNoCancel, IDCANCEL, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAnswerOf(c.set, c.code), c.fits) << int(c.set) << " " << c.code;
    EXPECT_EQ(CloseAnswerOf(MsgButtons::OK), IDOK);
    EXPECT_EQ(CloseAnswerOf(MsgButtons::OKCancel), IDCANCEL);
    EXPECT_EQ(CloseAnswerOf(MsgButtons::YesNo), IDNO);
    EXPECT_EQ(CloseAnswerOf(MsgButtons::YesNoCancel), IDCANCEL);

    fake.AnswerMessage(IDYES);
    EXPECT_THROW(MessageDlg("OK only", MsgType::Error, MsgButtons::OK), std::logic_error);
}

TEST_F(DialogsTest, FileDialogComponentsKeepTheirStateBetweenRuns) {
    TOpenDialog odLaunchCard;
    odLaunchCard.Filter = "All files (*.*)|*.*";
    odLaunchCard.MultiSelect = true;
    odLaunchCard.FileMustExist = true;
    odLaunchCard.InitialDir = QString::fromStdString(env.Dir());
    fake.AnswerOpen({"/data/a.txt", "/data/b.txt"});
    fake.CancelOpen();
    ASSERT_TRUE(odLaunchCard.Execute());
    EXPECT_EQ(odLaunchCard.Files, (QStringList{"/data/a.txt", "/data/b.txt"}));
    EXPECT_EQ(odLaunchCard.FileName, "/data/a.txt");
    EXPECT_FALSE(odLaunchCard.Execute());  // cancelled: the last choice stays
    EXPECT_EQ(odLaunchCard.FileName, "/data/a.txt");
    ASSERT_EQ(fake.OpenRequests.size(), 2u);
    EXPECT_EQ(fake.OpenRequests[1].FileName, "/data/a.txt");
    EXPECT_TRUE(fake.OpenRequests[0].MultiSelect);
    EXPECT_EQ(fake.OpenRequests[0].InitialDir, QString::fromStdString(env.Dir()));

    TSaveDialog sdSaveAs;
    sdSaveAs.Filter = "Rich text (*.rtf)|*.rtf|Text (*.txt)|*.txt";
    sdSaveAs.DefaultExt = "txt";
    fake.AnswerSave("/data/out.rtf", 1);
    ASSERT_TRUE(sdSaveAs.Execute());
    EXPECT_EQ(sdSaveAs.FileName, "/data/out.rtf");
    EXPECT_TRUE(fake.OpenRequests.size() == 2u && fake.SaveRequests.size() == 1u);
    EXPECT_EQ(fake.SaveRequests[0].DefaultExt, "txt");

    TOpenDialog single;
    fake.AnswerOpen({"/a", "/b"});
    EXPECT_THROW(single.Execute(), std::logic_error);  // the script offers what the dialog cannot
}

TEST_F(DialogsTest, FontColourFolderAndPrinterDialogs) {
    TFontDialog dlgDefFont;
    dlgDefFont.Font = FontChoice{"MS Sans Serif", 10, clBlack, 0};
    FontChoice chosen{"Arial", 12, clRed, fsBold};
    fake.AnswerFont(chosen);
    fake.AnswerFont(std::nullopt);
    ASSERT_TRUE(dlgDefFont.Execute());
    EXPECT_EQ(dlgDefFont.Font, chosen);
    EXPECT_FALSE(dlgDefFont.Execute());
    EXPECT_EQ(dlgDefFont.Font, chosen);
    EXPECT_EQ(fake.FontRequests.at(0).Font.Name, "MS Sans Serif");

    TColorDialog colour;
    colour.Color = 0xECF3F4;
    fake.AnswerColor(clYellow);
    ASSERT_TRUE(colour.Execute());
    EXPECT_EQ(colour.Color, clYellow);
    EXPECT_EQ(fake.ColorRequests, (std::vector<TColor>{0xECF3F4}));

    fake.AnswerFolder(QString("/home/me/docs"));
    EXPECT_EQ(GetDialogs().BrowseForFolder({"Select Folder", "/", {}, {}}),
              QString("/home/me/docs"));
    EXPECT_EQ(GetDialogs().BrowseForFolder({"Select Folder", "/", {}, {}}),
              std::nullopt);  // unscripted: cancel
    EXPECT_EQ(fake.FolderRequests.at(0).Title, "Select Folder");
    EXPECT_EQ(fake.Unscripted, 1);
}

TEST(QtDialogs, WindowsFiltersBecomeQtNameFilters) {
    struct Case {
        const char* windows;
        QStringList qt;
    };
    const Case cases[] = {
        {"All files (*.*)|*.*", {"All files (*)"}},
        {"All (*.gif;*.jpg;*.jpeg)|*.gif;*.jpg;*.jpeg|GIF Image (*.gif)|*.gif",
         {"All (*.gif *.jpg *.jpeg)", "GIF Image (*.gif)"}},
        {"KIV datastructures|*.kiv", {"KIV datastructures (*.kiv)"}},
        {"Text|*.txt|dangling", {"Text (*.txt)"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(QtDialogs::QtNameFilters(c.windows), c.qt) << c.windows;
}
