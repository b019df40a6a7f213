#include "mainwindow/search/FindDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "mainwindow/ComponentBuild.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fdText"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);
    auto* all = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* line = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    edFindText = Named(new QLineEdit(this), "edFindText");
    label->setBuddy(edFindText);
    line->addWidget(label);
    line->addWidget(edFindText, 1);
    left->addLayout(line);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    cbWholeWord =
        Named(new QCheckBox(QStringLiteral("Match &whole word only"), this), "cbWholeWord");
    cbMatchCase = Named(new QCheckBox(QStringLiteral("Match &case"), this), "cbMatchCase");
    checks->addWidget(cbWholeWord);
    checks->addWidget(cbMatchCase);
    options->addLayout(checks);
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto* dirs = new QHBoxLayout(direction);
    rbUp = Named(new QRadioButton(QStringLiteral("&Up"), direction), "rbUp");
    rbDown = Named(new QRadioButton(QStringLiteral("&Down"), direction), "rbDown");
    rbDown->setChecked(true);
    dirs->addWidget(rbUp);
    dirs->addWidget(rbDown);
    options->addWidget(direction);
    left->addLayout(options);
    all->addLayout(left, 1);
    auto* buttons = new QVBoxLayout;
    btnFind = Named(new QPushButton(QStringLiteral("&Find Next"), this), "btnFind");
    btnFind->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "btnCancel");
    buttons->addWidget(btnFind);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    all->addLayout(buttons);
    connect(btnFind, &QPushButton::clicked, this, [this] {
        GuardCall([this] {
            if (OnFind) OnFind(this);
        });
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto enable = [this] { btnFind->setEnabled(!edFindText->text().isEmpty()); };
    connect(edFindText, &QLineEdit::textChanged, this, enable);
    enable();
}

QString TFindDialog::FindText() const { return edFindText->text(); }
void TFindDialog::SetFindText(const QString& text) { edFindText->setText(text); }
TFindOptions TFindDialog::Options() const {
    return {cbMatchCase->isChecked(), cbWholeWord->isChecked()};
}
bool TFindDialog::Up() const { return rbUp->isChecked(); }

void TFindDialog::done(int r) {
    QDialog::done(r);
    GuardCall([this] {
        if (OnClose) OnClose(this);
    });
}

namespace {

// The document as code points, with the editor position where each begins (and the end).
struct EditorText {
    std::u32string Text;
    std::vector<int> Pos;
    size_t IndexOf(int position) const {
        return size_t(std::lower_bound(Pos.begin(), Pos.end(), position) - Pos.begin());
    }
};

EditorText ReadEditor(const QTextEdit* editor) {
    // The raw text keeps one character per editor position (paragraph ends, objects).
    const QString raw = editor->document()->toRawText();
    EditorText t;
    t.Text.reserve(size_t(raw.size()));
    t.Pos.reserve(size_t(raw.size()) + 1);
    for (int i = 0; i < raw.size(); ++i) {
        t.Pos.push_back(i);
        if (raw[i].isHighSurrogate() && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) {
            t.Text += char32_t(QChar::surrogateToUcs4(raw[i], raw[i + 1]));
            ++i;
        } else {
            t.Text += char32_t(raw[i].unicode());
        }
    }
    t.Pos.push_back(int(raw.size()));
    return t;
}

}  // namespace

bool FindInEditor(QTextEdit* editor, const std::vector<QString>& needles,
                  const TFindOptions& options, bool up) {
    if (!editor) return false;
    const EditorText t = ReadEditor(editor);
    const QTextCursor sel = editor->textCursor();
    size_t best = std::u32string::npos, bestLength = 0;
    for (const QString& n : needles) {
        const QList<uint> ucs = n.toUcs4();
        const std::u32string needle(ucs.begin(), ucs.end());
        const size_t at =
            up ? FindLastInText(t.Text, needle, t.IndexOf(sel.selectionStart()), options)
               : FindInText(t.Text, needle, t.IndexOf(sel.selectionEnd()), options);
        if (at == std::u32string::npos) continue;
        if (best == std::u32string::npos || (up ? at > best : at < best)) {
            best = at;
            bestLength = needle.size();
        }
    }
    if (best == std::u32string::npos) return false;
    QTextCursor c(editor->document());
    c.setPosition(t.Pos[best]);
    c.setPosition(t.Pos[best + bestLength], QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
    editor->ensureCursorVisible();
    return true;
}

}  // namespace kiv
