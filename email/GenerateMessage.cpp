#include "email/GenerateMessage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "dialogs/PrintWindow.h"
#include "email/EmailModal.h"

namespace kiv {

TfrmGenerateMessage::TfrmGenerateMessage(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmGenerateMessage"));
    setWindowTitle(QStringLiteral("Generate Message"));
    auto* group = Named(new QGroupBox(QStringLiteral(" Topics "), this), "gbTopics");
    rbPanel = Named(new QRadioButton(QStringLiteral("Selected Panel"), group), "rbPanel");
    rbBranch = Named(new QRadioButton(QStringLiteral("Current Branch"), group), "rbBranch");
    rbOutline = Named(new QRadioButton(QStringLiteral("Whole Outline"), group), "rbOutline");
    rbPanel->setChecked(true);
    auto* gl = new QVBoxLayout(group);
    for (QRadioButton* r : {rbPanel, rbBranch, rbOutline}) gl->addWidget(r);
    cbxWithTextCard =
        Named(new QCheckBox(QStringLiteral("With TextCard"), this), "cbxWithTextCard");
    cbxFormatting =
        Named(new QCheckBox(QStringLiteral("Original Formatting"), this), "cbxFormatting");
    cbxWithLinks = Named(new QCheckBox(QStringLiteral("Include Links"), this), "cbxWithLinks");
    cbxTopicsNumbers =
        Named(new QCheckBox(QStringLiteral("Topics Numbers"), this), "cbxTopicsNumbers");
    btnGenerate = DashButton(this, "btnGenerate", QStringLiteral("- Generate -"));
    btnExit = DashButton(this, "btnExit", QStringLiteral("- Close -"));
    connect(btnGenerate, &QPushButton::clicked, this, [this] { btnGenerateClick(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
    auto* checks = new QVBoxLayout;
    for (QCheckBox* c : {cbxWithTextCard, cbxFormatting, cbxWithLinks, cbxTopicsNumbers})
        checks->addWidget(c);
    checks->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addLayout(checks);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnGenerate);
    buttons->addWidget(btnExit);
    auto* l = new QVBoxLayout(this);
    l->addLayout(top);
    l->addLayout(buttons);
}

void TfrmGenerateMessage::btnGenerateClick() {
    if (!PrintWindow || !Target || OutlineGenerating) return;
    TfrmPrint& p = *PrintWindow;
    p.rbPanel->setChecked(rbPanel->isChecked());
    p.rbBranch->setChecked(rbBranch->isChecked());
    p.rbOutline->setChecked(rbOutline->isChecked());
    p.cbxWithTextCard->setChecked(cbxWithTextCard->isChecked());
    p.cbxFormatting->setChecked(cbxFormatting->isChecked());
    p.cbxWithLinks->setChecked(cbxWithLinks->isChecked());
    p.cbxTopicsNumbers->setChecked(cbxTopicsNumbers->isChecked());
    // The message is plain text: the document is made apart and its text taken.
    QTextEdit generated;
    GenerateOutlineText(p, generated);
    Target->setPlainText(generated.toPlainText());
}

}  // namespace kiv
