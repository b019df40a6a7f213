#include "dialogs/TextBinWindow.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

TfrmTextBin* frmTextBin = nullptr;

TfrmTextBin::TfrmTextBin(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmTextBin"));
    setWindowTitle(QStringLiteral("KIV Text Bin"));
    resize(320, 280);
    setMinimumSize(160, 120);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    layout_->addWidget(StatusBar1);
    if (!frmTextBin) frmTextBin = this;
}

TfrmTextBin::~TfrmTextBin() {
    // The editor is the main window's: it never goes down with this window.
    if (QTextEdit* e = Editor()) e->setParent(nullptr);
    if (frmTextBin == this) frmTextBin = nullptr;
}

void TfrmTextBin::HostEditor(QTextEdit* editor) {
    if (!editor || editor->parentWidget() == this) return;
    editor->setParent(this);
    layout_->insertWidget(0, editor, 1);
    editor->show();
}

QTextEdit* TfrmTextBin::Editor() const {
    return findChild<QTextEdit*>(QString(), Qt::FindDirectChildrenOnly);
}

void TfrmTextBin::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (e->spontaneous()) return;  // minimised by the desktop, not closed
    GuardCall([this] {
        if (OnHide) OnHide(this, Editor());
    });
}

void TfrmTextBin::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (QTextEdit* editor = Editor()) editor->viewport()->update();
}

void TfrmTextBin::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace kiv
