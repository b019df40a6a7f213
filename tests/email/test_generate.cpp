// The generate window: the message body made by the print window's generator with the
// options chosen here.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "dialogs/PrintWindow.h"
#include "email/EmailWindows.h"
#include "email/GenerateMessage.h"
#include "email/SendEmail.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "tests/dialogs/OutlineFixture.h"

namespace kiv::test {
namespace {

class GenerateMessage : public OutlineFixture {
protected:
    void SetUp() override {
        CreatePanelsManager();
        Open("A(A1 A2) B");
        Card("B", kCardText, "{\\rtf1\\ansi B's \\b card\\b0}");
        PanelsManager().SetNestFile(kiv.get());
        PanelsManager().SetCardFile(dsc.get());
        grid = std::make_unique<TKivStringGrid>();
        grid->Tag = 1;
        grid->Nester->SetNestFile(kiv.get());
        grid->Nester->SetCardFile(dsc.get());
        grid->Nester->RootNest = ReadRootNest(kiv.get());
        grid->Nester->LoadBranch(-1, false);
        grid->SetRowCount(grid->Nester->RowCount());
        print = std::make_unique<TfrmPrint>();
        print->CurrentGrid = [this] { return grid.get(); };
        print->MainForm = &mainForm;
        windows = std::make_unique<TEmailWindows>(env.Dir(), print.get());
    }

    void TearDown() override {
        windows.reset();
        print.reset();
        grid.reset();
        FreePanelsManager();
    }

    QWidget mainForm;
    std::unique_ptr<TKivStringGrid> grid;
    std::unique_ptr<TfrmPrint> print;
    std::unique_ptr<TEmailWindows> windows;
};

TEST_F(GenerateMessage, FillsTheBodyWithTheOptionsChosenHere) {
    TfrmGenerateMessage& g = *windows->frmGenerateMessage;
    QTextEdit* body = windows->frmSendEmail->reMessage;
    EXPECT_EQ(g.windowTitle(), "Generate Message");
    EXPECT_TRUE(g.rbPanel->isChecked());
    body->setPlainText("replaced");
    g.rbOutline->setChecked(true);
    g.cbxTopicsNumbers->setChecked(true);
    g.cbxWithTextCard->setChecked(true);
    g.btnGenerate->click();
    EXPECT_TRUE(print->rbOutline->isChecked());
    EXPECT_TRUE(print->cbxTopicsNumbers->isChecked());
    EXPECT_TRUE(print->cbxWithTextCard->isChecked());
    EXPECT_FALSE(print->cbxFormatting->isChecked());
    const QString text = body->toPlainText();
    EXPECT_TRUE(text.startsWith("1. A\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("1. A1\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("2. B\nB's card")) << text.toStdString();
    EXPECT_FALSE(text.contains("replaced"));

    g.rbPanel->setChecked(true);
    g.cbxTopicsNumbers->setChecked(false);
    g.cbxWithTextCard->setChecked(false);
    g.btnGenerateClick();
    EXPECT_TRUE(print->rbPanel->isChecked());
    EXPECT_EQ(body->toPlainText(), "A\n\nB\n\n");
}

}  // namespace
}  // namespace kiv::test
