// Datastructures written by the Windows program, opened in the window: external
// datastructures followed by their stored paths, launch lines written back as they were
// stored, passwords in the stored form, and a program folder with accented letters.
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <cstdlib>
#include <optional>

#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/launch/LaunchCard.h"
#include "platform/core/IniFile.h"
#include "platform/core/LegacyText.h"
#include "tests/WindowsWritten.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using test::Cp1252;
using test::WindowsLink;
using test::WindowsPath;
using test::WriteWindowsDatastructure;

class WindowsFiles : public WindowFixture {
protected:
    TForm1* f = nullptr;
    TKivStringGrid* p1 = nullptr;

    void StartOn(const std::string& path) {
        f = Start({path});
        p1 = f->Panels().sgdFirst;
    }
    std::string OpenPath() const {
        return Form1->Open().BookMark ? Form1->Open().BookMark->Path : std::string();
    }
    // Follows the external datastructure of the first panel's row, as the panels do.
    void Follow(int row) {
        ClickRow(p1, row);
        ASSERT_FALSE(p1->ExternalPath.empty());
        f->Datastructure().OpenDatastructureFile(p1->ExternalPath);
    }
    std::string StoredLaunchCard(int row) {
        std::string card;
        TCards cards;
        cards.SetCardFile(f->Pair().Cards.get());
        cards.ReadStoredCard(kCardLaunch, p1->Nester->CardDir(row), card);
        return card;
    }
};

TEST_F(WindowsFiles, ExternalDatastructuresAreFoundAsWindowsNamesThemAndNeverMade) {
    const std::string main = Home() + "main.kiv";
    WriteWindowsDatastructure(main, {{"Andere", "", "||ANDERE.KIV"},
                                     {"Café", "", Cp1252("||Café.kiv")},
                                     {"Laufwerk", "", WindowsPath("C:/Daten/ziel.kiv")},
                                     {"Fehlt", "", WindowsPath("||Archiv/alt.kiv")}});
    MakeJoined(Home() + "andere.kiv", "drinnen");
    MakeJoined(Home() + "Caf\xc3\xa9.kiv", "kaffee");
    // The folder's files but the settings the window writes.
    auto files = [&] {
        std::vector<std::string> names = FolderEntries(Home());
        std::erase_if(names, [](const std::string& n) { return n.ends_with(".ini"); });
        return names;
    };
    const std::vector<std::string> before = files();
    StartOn(main);
    ASSERT_EQ(OpenPath(), main);

    // Missing ones are named and nothing is made, neither here nor in the working folder;
    // the open datastructure stays and the recent files do not take them.
    for (int row : {2, 3}) {
        Dialogs().Clear();
        Follow(row);
        const QString name = row == 2 ? QStringLiteral("C:\\Daten\\ziel.kiv")
                                      : QString::fromStdString(Home() + "Archiv/alt.kiv");
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << row;
        EXPECT_EQ(Dialogs().Messages[0].Text,
                  QStringLiteral("The datastructure \"%1\" does not exist.").arg(name));
        EXPECT_EQ(OpenPath(), main);
        EXPECT_TRUE(f->DatastructureOpen());
        EXPECT_EQ(InterBase().Count(), 1);
    }
    EXPECT_FALSE(FileExists("C:\\Daten\\ziel.kiv"));
    EXPECT_FALSE(FileExists(Home() + "Archiv/alt.kiv"));
    for (const std::string& key : KivIni().ReadSection(kLastOpenedSection)) {
        const std::string value = KivIni().ReadString(kLastOpenedSection, key, "");
        EXPECT_EQ(value.find("ziel"), std::string::npos);
        EXPECT_EQ(value.find("alt.kiv"), std::string::npos);
    }

    // Found without regard to case, and through their Windows-1252 names.
    Dialogs().Clear();
    Follow(0);
    EXPECT_EQ(OpenPath(), Home() + "andere.kiv");
    EXPECT_EQ(p1->Nester->Caption(0), "drinnen");
    f->Datastructure().OpenDatastructureFile(main);
    Follow(1);
    EXPECT_EQ(OpenPath(), Home() + "Caf\xc3\xa9.kiv");
    EXPECT_EQ(p1->Nester->Caption(0), "kaffee");
    EXPECT_TRUE(Dialogs().Messages.empty());
    Stop();
    EXPECT_EQ(files(), before) << "no file was made by following a link";
}

TEST_F(WindowsFiles, NewExternalLinksAreStoredInWindows1252WhereItHoldsThem) {
    const std::string main = Home() + "main.kiv";
    WriteWindowsDatastructure(main, {{"West", "", ""}, {"Ost", "", ""}});
    MakeJoined(Home() + "Caf\xc3\xa9.kiv", "x");
    MakeJoined(Home() + "\xd0\x96.kiv", "y");  // "Ж" has no Windows-1252 byte
    StartOn(main);
    auto external = [&](int row) {
        std::string card;
        TCards cards;
        cards.SetCardFile(f->Pair().Cards.get());
        cards.ReadStoredCard(kCardExternal, p1->Nester->CardDir(row), card);
        return card;
    };
    ClickRow(p1, 0);
    Dialogs().AnswerOpen({QString::fromStdString(Home() + "Caf\xc3\xa9.kiv")});
    f->FileCommands().acLinkToExt->Execute();
    EXPECT_EQ(external(0), Cp1252("||Café.kiv"))
        << "before: \"||Caf\\xc3\\xa9.kiv\", which Windows does not find";
    ClickRow(p1, 1);
    Dialogs().AnswerOpen({QString::fromStdString(Home() + "\xd0\x96.kiv")});
    f->FileCommands().acLinkToExt->Execute();
    EXPECT_EQ(external(1), "||\xd0\x96.kiv");
    // Both are followed again.
    Follow(0);
    EXPECT_EQ(OpenPath(), Home() + "Caf\xc3\xa9.kiv");
}

TEST_F(WindowsFiles, LaunchLinesTheUserDidNotChangeKeepTheirBytesInTheWindowAndInPack) {
    const std::string main = Home() + "main.kiv";
    const std::string stored = WindowsLink(WindowsPath("||docs/x"), Cp1252("Über")) +
                               WindowsLink(WindowsPath("C:/Daten/brief.doc"), "Brief");
    WriteWindowsDatastructure(main, {{"Links", stored, ""}, {"Leer", "", ""}});
    StartOn(main);
    // Shown where the program folder is, written back untouched.
    EXPECT_EQ(LegacyText::Decode(p1->Nester->LaunchList().GetPath(0, 0)), Home() + "docs/x");
    ClickRow(p1, 1);
    ClickRow(p1, 0);
    EXPECT_EQ(StoredLaunchCard(0), stored);
    // A link added: the stored ones stay, the new one is stored relative in Windows-1252.
    f->LaunchCard().AddLinksToTopic(p1, 0,
                                    LegacyText::Encode(Home() + "Neu \xc3\xa9.txt") + "\x01N\r\n");
    const std::string grown = stored + WindowsLink(Cp1252("||Neu é.txt"), "N");
    EXPECT_EQ(StoredLaunchCard(0), grown);
    // The launch card list edited elsewhere: its other lines keep their bytes.
    f->LaunchCard().ShowLaunchCard();
    f->LaunchCard().DeleteLaunchCardItem(1);
    f->LaunchCard().SaveLaunchCard(p1, 0);
    EXPECT_EQ(StoredLaunchCard(0), WindowsLink(WindowsPath("||docs/x"), Cp1252("Über")) +
                                       WindowsLink(Cp1252("||Neu é.txt"), "N"));
    f->FileCommands().acCompactDatabaseExecute();
    ASSERT_EQ(OpenPath(), main);
    EXPECT_EQ(StoredLaunchCard(0), WindowsLink(WindowsPath("||docs/x"), Cp1252("Über")) +
                                       WindowsLink(Cp1252("||Neu é.txt"), "N"));
}

TEST_F(WindowsFiles, PasswordsAreStoredAsWindowsReadsThemAndNeverReachTheTextBin) {
    const std::string main = Home() + "main.kiv";
    WriteWindowsDatastructure(main, {{"a", "", ""}}, "\x01notes");
    StartOn(main);
    auto typeNew = [&](const QString& typed) {
        f->FileCommands().SetPassword1->trigger();
        TfrmSetPassword& w = *f->FileCommands().frmSetPassword;
        w.edtNew->insert(typed);
        w.edtRepeat->insert(typed);
        w.btnOK->click();
        return w.isVisible();
    };
    // Before: stored as 17 UTF-8 bytes, past the field. Now refused with a word, nothing changed.
    EXPECT_TRUE(
        typeNew(QString::fromUtf8("\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
                                  "12345")));
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QStringLiteral("Windows-1252")))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_EQ(Form1->Open().BookMark->Password, "");
    f->FileCommands().frmSetPassword->reject();
    // Western letters go in as Windows-1252 bytes, 15 of them at most.
    Dialogs().Clear();
    EXPECT_FALSE(
        typeNew(QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                  "e123456789Ab")));
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_EQ(Form1->Open().BookMark->Password, Cp1252("Grüße123456789A"));
    Stop();
    EXPECT_EQ(ReadJoined(main).TextBinCard, Cp1252("Grüße123456789A") + "\x01notes");
}

TEST_F(WindowsFiles, AnOverLongPasswordOfAnEarlierBuildStillLocksAndStaysOutOfTheTextBin) {
    const std::string main = Home() + "main.kiv";
    const std::string password =
        "\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
        "12345";  // 17 bytes
    WriteWindowsDatastructure(main, {{"a", "", ""}}, password + "\x01notes");
    StartOn(main);
    ProcessEventsFor(50);
    EXPECT_TRUE(f->FileCommands().PasswordLocked());
    ASSERT_TRUE(f->FileCommands().frmEnterPassword);
    TfrmEnterPassword& w = *f->FileCommands().frmEnterPassword;
    w.edtPassword->insert(QStringLiteral("falsch"));
    EXPECT_FALSE(w.btnOK->isEnabled()) << "the wrong password opens nothing";
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(), QStringLiteral("notes"));
    w.edtPassword->clear();
    w.edtPassword->insert(QString::fromStdString(password));
    w.btnOK->click();
    EXPECT_FALSE(f->FileCommands().PasswordLocked());
    Stop();
    EXPECT_EQ(ReadJoined(main).TextBinCard, password + "\x01notes")
        << "kept, never moved into the text bin";
}

// A program folder under a home such as /home/jörg: HOME and KIV_HOME point there.
TEST_F(WindowsFiles, RelativeLinksWorkUnderAProgramFolderWithAccentedLetters) {
    const std::string home = Home() + "j\xc3\xb6rg/";
    const std::string app = home + "Programme/K\xc3\xafv/";
    MakeDirs(app);
    std::optional<std::string> oldHome;
    if (const char* h = std::getenv("HOME")) oldHome = h;
    setenv("HOME", home.c_str(), 1);
    setenv("KIV_HOME", app.c_str(), 1);
    ResetAppPaths();
    ASSERT_EQ(AppDir(), app);
    WriteFileAtomic(app + "Caf\xc3\xa9.txt", "x");
    MakeJoined(app + "Caf\xc3\xa9.kiv", "kaffee");
    WriteWindowsDatastructure(app + "FirstKivDB.kiv",
                              {{"Café", WindowsLink(Cp1252("||Café.txt"), "Café"), ""},
                               {"Extern", "", Cp1252("||CAFÉ.KIV")}});
    f = Start();
    p1 = f->Panels().sgdFirst;
    // Expanded to the file's name, not to a mix of UTF-8 and Windows-1252 bytes.
    EXPECT_EQ(LegacyText::Decode(p1->Nester->LaunchList().GetPath(0, 0)), app + "Caf\xc3\xa9.txt");
    EXPECT_TRUE(FileExists(LegacyText::Decode(p1->Nester->LaunchList().GetPath(0, 0))));
    // New links there are still stored relative, in Windows-1252.
    f->LaunchCard().AddLinksToTopic(p1, 0, app + "Neu.txt\x01N\r\n");
    EXPECT_EQ(StoredLaunchCard(0),
              WindowsLink(Cp1252("||Café.txt"), "Café") + WindowsLink("||Neu.txt", "N"));
    Follow(1);
    EXPECT_EQ(OpenPath(), app + "Caf\xc3\xa9.kiv");
    Stop();
    if (oldHome) setenv("HOME", oldHome->c_str(), 1);
    else unsetenv("HOME");
}

}  // namespace
}  // namespace kiv::wintest
