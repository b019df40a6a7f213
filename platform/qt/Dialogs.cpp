#include "platform/qt/Dialogs.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

#include "platform/qt/QtDialogs.h"

namespace kiv {

namespace {
std::unique_ptr<Dialogs> g_installed;

Dialogs& BuiltIn() {
    static QtDialogs production;
    return production;
}

// With nobody to ask, a box goes to the error stream and is answered as its close would be;
// every other dialog is cancelled.
class UnattendedDialogs : public Dialogs {
public:
    int MessageBox(const MessageBoxRequest& r) override {
        std::fprintf(stderr, "kiv: %s\n", r.Text.toLocal8Bit().constData());
        return CloseAnswerOf(r.Buttons);
    }
    FileDialogResult OpenFile(const FileDialogRequest&) override { return {}; }
    FileDialogResult SaveFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> BrowseForFolder(const FolderDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<FontChoice> ChooseFont(const FontDialogRequest&) override { return std::nullopt; }
    std::optional<TColor> ChooseColor(TColor) override { return std::nullopt; }
    bool PrinterSetup(QPrinter&) override { return false; }
    std::optional<QString> InputText(const InputRequest&) override { return std::nullopt; }
};

int g_unattended = 0;
}  // namespace

UnattendedScope::UnattendedScope() { ++g_unattended; }
UnattendedScope::~UnattendedScope() { --g_unattended; }
bool Unattended() { return g_unattended > 0; }

bool IsAnswerOf(MsgButtons buttons, int code) {
    switch (buttons) {
    case MsgButtons::OK: return code == IDOK;
    case MsgButtons::OKCancel: return code == IDOK || code == IDCANCEL;
    case MsgButtons::YesNo: return code == IDYES || code == IDNO;
    case MsgButtons::YesNoCancel: return code == IDYES || code == IDNO || code == IDCANCEL;
    }
    return false;
}

int CloseAnswerOf(MsgButtons buttons) {
    if (IsAnswerOf(buttons, IDCANCEL)) return IDCANCEL;
    if (IsAnswerOf(buttons, IDNO)) return IDNO;
    return IDOK;
}

QString DefaultCaption(MsgType type) {
    switch (type) {
    case MsgType::Warning: return QStringLiteral("Warning");
    case MsgType::Error: return QStringLiteral("Error");
    case MsgType::Information: return QStringLiteral("Information");
    case MsgType::Confirmation: return QStringLiteral("Confirm");
    case MsgType::None: break;
    }
    QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

Dialogs& GetDialogs() {
    static UnattendedDialogs unattended;
    if (g_unattended > 0) return unattended;
    return g_installed ? *g_installed : BuiltIn();
}

std::unique_ptr<Dialogs> InstallDialogs(std::unique_ptr<Dialogs> dialogs) {
    std::swap(g_installed, dialogs);
    return dialogs;
}

int MessageDlg(const QString& text, MsgType type, MsgButtons buttons, int helpContext,
               bool helpButton) {
    MessageBoxRequest r;
    r.Text = text;
    r.Caption = DefaultCaption(type);
    r.Type = type;
    r.Buttons = buttons;
    r.HelpContext = helpContext;
    r.HelpButton = helpButton;
    return GetDialogs().MessageBox(r);
}

int MessageBox(const QString& text, const QString& caption, MsgType type, MsgButtons buttons) {
    MessageBoxRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Type = type;
    r.Buttons = buttons;
    return GetDialogs().MessageBox(r);
}

void ShowMessage(const QString& text) { MessageDlg(text, MsgType::None, MsgButtons::OK); }

bool TOpenDialog::Execute() {
    FileDialogRequest r;
    r.Title = Title;
    r.Filter = Filter;
    r.FilterIndex = FilterIndex;
    r.InitialDir = InitialDir;
    r.FileName = FileName;
    r.DefaultExt = DefaultExt;
    r.MultiSelect = MultiSelect;
    r.FileMustExist = FileMustExist;
    r.PathMustExist = PathMustExist;
    r.OverwritePrompt = OverwritePrompt;
    FileDialogResult res = Show(r);
    if (!res.Accepted || res.Files.isEmpty()) return false;
    Files = res.Files;
    FileName = res.Files.first();
    FilterIndex = res.FilterIndex;
    return true;
}

bool TFontDialog::Execute() {
    FontDialogRequest r;
    r.Font = Font;
    r.Effects = Effects;
    r.MinSize = MinSize;
    r.MaxSize = MaxSize;
    std::optional<FontChoice> chosen = GetDialogs().ChooseFont(r);
    if (!chosen) return false;
    Font = *chosen;
    return true;
}

bool TColorDialog::Execute() {
    std::optional<TColor> chosen = GetDialogs().ChooseColor(Color);
    if (!chosen) return false;
    Color = *chosen;
    return true;
}

}  // namespace kiv
