// The files autoregistration window over a real outline panel: its controls, the type list,
// the limits (through a fake folder source), the messages, the topics it inserts, and Stop
// clicked while a build runs.
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <map>

#include "dialogs/FilesRegistration.h"
#include "platform/core/MiskPro.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/AppPaths.h"
#include "platform/qt/FakeDialogs.h"
#include "tests/dialogs/OutlineFixture.h"

namespace kiv::test {
namespace {

// n files "f<i>.txt" in "/r"; a hook runs at every listing.
class CountedFolders : public TFolderSource {
public:
    explicit CountedFolders(int n) : n_(n) {}
    std::function<void(const std::string&)> OnList;
    bool List(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        if (OnList) OnList(folder);
        entries.clear();
        if (folder == "/r") {
            for (int i = 0; i < n_; ++i)
                entries.push_back({"f" + std::to_string(i) + ".txt", false});
        } else if (folder.rfind("/deep", 0) == 0) {
            const int depth = int(std::count(folder.begin(), folder.end(), '/'));
            if (depth < 7)
                for (int i = 0; i < 3; ++i) entries.push_back({"d" + std::to_string(i), true});
            entries.push_back({"f.txt", false});
        } else {
            return false;
        }
        return true;
    }
    bool Identify(const std::string& folder, TFolderId& id) override {
        if (folder != "/r" && folder.rfind("/deep", 0) != 0) return false;
        id = {7, std::hash<std::string>{}(folder)};
        return true;
    }
    bool IsFile(const std::string&) override { return false; }
    std::string ReadStart(const std::string&, size_t) override { return {}; }

private:
    int n_;
};

class FilesRegistration : public OutlineFixture {
protected:
    void SetUp() override {
        CreatePanelsManager();
        Open("A(A1) B");
        grid = MakeFirstPanel();
        grid->SelectRow(0);
        frm = std::make_unique<TfrmFilesRegistration>();
        frm->CurrentGrid = [this] { return grid.get(); };
        frm->MainForm = &mainForm;
        frm->RunBusy = [this](const std::function<void()>& work) {
            ++busyRuns;
            work();
        };
        frm->ProgressMs = 0;
    }
    void TearDown() override {
        frm.reset();
        grid.reset();
        FreePanelsManager();
    }
    FakeDialogs& Dialogs() { return env.Dialogs(); }
    void SetPath(const QString& p) {
        frm->edtPath->setText(p);
        frm->edtPathChange();
    }
    // A folder of the test's own outside the program folder, so links stay absolute.
    std::string Folder(const std::string& rel) {
        const std::string d = TempDir() + "reg-" + std::to_string(::getpid()) + "/" + rel + "/";
        MakeDirs(d);
        made.push_back(d);
        return d.substr(0, d.size() - 1);
    }
    ~FilesRegistration() override {
        for (const std::string& d : made) RemoveTree(d);
    }
    std::string Dump(bool cards = false) { return DumpTree(kiv.get(), dsc.get(), cards); }

    QWidget mainForm;
    std::unique_ptr<TKivStringGrid> grid;
    std::unique_ptr<TfrmFilesRegistration> frm;
    int busyRuns = 0;
    std::vector<std::string> made;
};

TEST_F(FilesRegistration, IsBuiltAsTheWindowIsDescribed) {
    EXPECT_EQ(frm->windowTitle(), "Files autoregistration");
    EXPECT_EQ(frm->btnSetDir->text(), "Choose Folder..>");
    EXPECT_EQ(frm->cbxWithSubDirs->text(), "Include Sub-folders");
    EXPECT_TRUE(frm->cbxWithSubDirs->isChecked());
    EXPECT_EQ(frm->cbxHtmlTitles->text(), "Use HTML page titles");
    EXPECT_FALSE(frm->cbxHtmlTitles->isChecked());
    EXPECT_EQ(frm->gbFileTypes->title(), " File types ");
    EXPECT_TRUE(frm->rbAllFiles->isChecked());
    EXPECT_EQ(frm->rbSelectedFiles->text(), "Selected types");
    EXPECT_FALSE(frm->edtFileTypes->isEnabled());
    EXPECT_FALSE(frm->lblExampleTypes->isEnabled());
    EXPECT_EQ(frm->lblExampleTypes->text(), "txt,doc,htm,html");
    EXPECT_EQ(frm->btnTestDir->text(), "- Scan Now -");
    EXPECT_EQ(frm->btnRegisterFiles->text(), "- Register files -");
    EXPECT_EQ(frm->btnStop->text(), "- Stop -");
    EXPECT_EQ(frm->btnClose->text(), "- Close -");
    EXPECT_FALSE(frm->btnStop->isEnabled());
    EXPECT_EQ(frm->bfDir.Caption, "Select Folder");
    EXPECT_EQ(frm->bfDir.StatusText, "Plase select folder");
    auto* info = frm->findChild<QLabel*>("lblInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(
        info->text(),
        "You can automatically register and link up to 50,000 files and folders as individual topics.  "
        "Press F1 for detailed information on this function.");

    // Scan and Register exactly while the folder field is not empty.
    EXPECT_FALSE(frm->btnTestDir->isEnabled());
    EXPECT_FALSE(frm->btnRegisterFiles->isEnabled());
    QTest::keyClicks(frm->edtPath, "/");
    EXPECT_TRUE(frm->btnTestDir->isEnabled());
    EXPECT_TRUE(frm->btnRegisterFiles->isEnabled());
    QTest::keyClick(frm->edtPath, Qt::Key_Backspace);
    EXPECT_FALSE(frm->btnTestDir->isEnabled());

    frm->rbSelectedFiles->click();
    EXPECT_TRUE(frm->edtFileTypes->isEnabled());
    EXPECT_TRUE(frm->lblExample->isEnabled());
    frm->rbAllFiles->click();
    EXPECT_FALSE(frm->edtFileTypes->isEnabled());

    frm->show();
    EXPECT_FALSE(mainForm.isEnabled());
    frm->reject();
    EXPECT_TRUE(frm->isHidden());
    EXPECT_TRUE(mainForm.isEnabled());
}

TEST_F(FilesRegistration, SelectedTypesGiveTheParsedList) {
    frm->SetFolderSource(std::make_unique<CountedFolders>(3));
    frm->rbSelectedFiles->click();
    frm->edtFileTypes->setText(QStringLiteral("txt, .DOC,htm,.,a.b.txt"));
    SetPath(QStringLiteral("/r"));
    frm->btnTestDirClick();
    EXPECT_EQ(frm->Types(), (std::vector<std::string>{".B.TXT", ".DOC", ".HTM", ".TXT"}));
    EXPECT_EQ(frm->lblFoundFiles->text(), "3");
    frm->rbAllFiles->click();
    frm->btnTestDirClick();
    EXPECT_TRUE(frm->Types().empty());
    EXPECT_EQ(busyRuns, 2);
}

TEST_F(FilesRegistration, LimitsAskAboveTwoThousandAndRefuseAboveFiftyThousand) {
    const QString ask = QStringLiteral(
        "Alert! It was found 2001 files, you may conceivably experience file management difficulties if you link this "
        "number of files.\r\nDo you want to proceed in any case?");
    const struct {
        int n;
        std::vector<int> answers;  // scripted answers, in order
        QStringList texts;         // the boxes shown
        int registered;
    } cases[] = {
        {2000, {IDOK}, {"Auto-registration complete.  2000 new topics were created."}, 2000},
        {2001, {IDNO}, {ask}, 0},
        {2001,
         {IDYES, IDOK},
         {ask, "Auto-registration complete.  2001 new topics were created."},
         2001},
        {50000,
         {IDYES, IDOK},
         {QString(ask).replace("2001", "50000"),
          "Auto-registration complete.  50000 new topics were created."},
         50000},
        {50001, {IDOK}, {"Can't register! Too many found files, please select another folder."}, 0},
    };
    for (const auto& c : cases) {
        Dialogs().Clear();
        for (int a : c.answers) Dialogs().AnswerMessage(a);
        frm->SetFolderSource(std::make_unique<CountedFolders>(c.n));
        SetPath(QStringLiteral("/r"));
        const int rowsBefore = grid->Nester->RowCount();
        frm->btnRegisterFilesClick();
        EXPECT_EQ(Dialogs().MessageTexts(), c.texts) << c.n;
        EXPECT_EQ(Dialogs().Unscripted, 0) << c.n;
        EXPECT_EQ(frm->lblFoundFiles->text(), QString::number(c.n));
        EXPECT_EQ(grid->Nester->RowCount(), rowsBefore + (c.registered ? 1 : 0)) << c.n;
        if (c.registered) {
            EXPECT_EQ(frm->lblRegistered->text(), QString::number(c.registered));
        }
        EXPECT_EQ(frm->btnRegisterFiles->isEnabled(), c.n <= kMaxRegisteredEntries) << c.n;
    }
}

TEST_F(FilesRegistration, AScanOfFiftyThousandFilesLetsTheWindowWork) {
    frm->SetFolderSource(std::make_unique<CountedFolders>(50000));
    SetPath(QStringLiteral("/r"));
    QStringList shown;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (shown.isEmpty() || shown.back() != frm->lblFoundFiles->text())
            shown << frm->lblFoundFiles->text();
    });
    timer.start();
    frm->ProgressMs = 1;
    frm->btnTestDirClick();
    EXPECT_GT(ticks, 0);
    EXPECT_GT(shown.size(), 1);
    for (const QString& s : shown) EXPECT_EQ(s.toInt() % 100, 0) << s.toStdString();
    EXPECT_EQ(frm->lblFoundFiles->text(), "50000");
}

TEST_F(FilesRegistration, RegisteringPutsTheFolderTopicAfterTheCurrentBranch) {
    const std::string top = Folder("docs");
    Folder("docs/sub");
    WriteFileAtomic(top + "/b.txt", "b");
    WriteFileAtomic(top + "/a.htm", "<html><TITLE> Home </TITLE></html>");
    WriteFileAtomic(top + "/sub/c.txt", "c");
    grid->SelectRow(0);
    frm->cbxHtmlTitles->setChecked(true);
    SetPath(QString::fromStdString(top));
    Dialogs().AnswerMessage(IDOK);
    frm->btnRegisterFilesClick();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"Auto-registration complete.  4 new topics were created."});
    EXPECT_EQ(grid->Nester->Caption(grid->CurrentRow()), "docs");
    EXPECT_EQ(grid->CurrentRow(), 1);
    EXPECT_EQ(Dump(), "A\n  A1\ndocs\n  sub\n    c.txt\n  Home\n  b.txt\nB\n");
    const std::string links = Dump(true);
    EXPECT_NE(links.find("@ " + top + "/ | docs\n"), std::string::npos) << links;
    EXPECT_NE(links.find("@ " + top + "/sub | sub\n"), std::string::npos) << links;
    EXPECT_NE(links.find("@ " + top + "/a.htm | Home\n"), std::string::npos) << links;
    EXPECT_FALSE(frm->btnStop->isEnabled());
    EXPECT_TRUE(frm->btnClose->isEnabled());
    EXPECT_TRUE(frm->btnTestDir->isEnabled());
    EXPECT_FALSE(frm->Busy());
}

TEST_F(FilesRegistration, EmptyFolderAndNotAFolderAreReported) {
    const std::string empty = Folder("empty");
    SetPath(QString::fromStdString(empty));
    Dialogs().AnswerMessage(IDOK);
    frm->btnRegisterFilesClick();
    EXPECT_EQ(Dialogs().MessageTexts(), QStringList{"No files were found to register."});
    EXPECT_EQ(Dump(), "A\n  A1\nB\n");

    const std::string file = Folder("x") + "/plain.txt";
    WriteFileAtomic(file, "x");
    Dialogs().Clear();
    frm->lblFoundFiles->setText(QStringLiteral("12"));
    Dialogs().AnswerFolder(QString::fromStdString(file));
    Dialogs().AnswerMessage(IDOK);
    frm->btnSetDirClick();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"This object can't be initial forlder, please select another one"});
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error);
    EXPECT_EQ(frm->Path(), "");
    EXPECT_EQ(frm->lblFoundFiles->text(), "0");
    EXPECT_EQ(frm->lblRegistered->text(), "0");
    EXPECT_FALSE(frm->btnRegisterFiles->isEnabled());
    EXPECT_FALSE(frm->btnTestDir->isEnabled());

    // A folder chosen fills the field; Cancel changes nothing.
    const std::string my = Folder("my.folder");
    Dialogs().Clear();
    Dialogs().AnswerFolder(QString::fromStdString(my));
    Dialogs().AnswerFolder(std::nullopt);
    frm->btnSetDirClick();
    EXPECT_EQ(frm->edtPath->text().toStdString(), my);
    EXPECT_TRUE(frm->btnRegisterFiles->isEnabled());
    frm->btnSetDirClick();
    EXPECT_EQ(frm->edtPath->text().toStdString(), my);
    EXPECT_TRUE(Dialogs().Messages.empty());
}

TEST_F(FilesRegistration, StopDuringTheCountRegistersNothing) {
    auto source = std::make_unique<CountedFolders>(0);
    CountedFolders* folders = source.get();
    frm->SetFolderSource(std::move(source));
    SetPath(QStringLiteral("/deep"));
    int lists = 0;
    folders->OnList = [&](const std::string&) {
        if (++lists == 100) QTest::mouseClick(frm->btnStop, Qt::LeftButton);
    };
    frm->btnRegisterFilesClick();
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_LT(lists, 200);
    EXPECT_EQ(Dump(), "A\n  A1\nB\n");
    EXPECT_FALSE(frm->btnStop->isEnabled());
    EXPECT_TRUE(frm->btnRegisterFiles->isEnabled());
}

TEST_F(FilesRegistration, StopDuringADeepBuildLeavesEveryNestReadable) {
    auto source = std::make_unique<CountedFolders>(0);
    CountedFolders* folders = source.get();
    frm->SetFolderSource(std::move(source));
    SetPath(QStringLiteral("/deep"));
    int lists = 0;
    bool stopEnabled = false, closeEnabled = true, stayedOpen = false;
    folders->OnList = [&](const std::string&) {
        // The count lists every folder once; the build's listings come after it.
        if (++lists == 1093 + 40) {
            stopEnabled = frm->btnStop->isEnabled();
            closeEnabled = frm->btnClose->isEnabled();
            frm->reject();  // refused while busy
            stayedOpen = !frm->isHidden();
            QTest::mouseClick(frm->btnStop, Qt::LeftButton);
        }
    };
    frm->show();
    Dialogs().AnswerMessage(IDYES);
    Dialogs().AnswerMessage(IDOK);
    frm->btnRegisterFilesClick();
    EXPECT_TRUE(stopEnabled);
    EXPECT_FALSE(closeEnabled);
    EXPECT_TRUE(stayedOpen);
    const QStringList texts = Dialogs().MessageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[1].startsWith("Auto-registration complete.  ")) << texts[1].toStdString();
    const int registered = frm->lblRegistered->text().toInt();
    EXPECT_GT(registered, 0);
    EXPECT_LT(registered, frm->lblFoundFiles->text().toInt());
    std::string dump;
    ASSERT_NO_THROW(dump = Dump());
    EXPECT_NE(dump.find("\ndeep\n"), std::string::npos);
    EXPECT_FALSE(frm->btnStop->isEnabled());
    frm->reject();
    EXPECT_TRUE(frm->isHidden());
}

}  // namespace
}  // namespace kiv::test
