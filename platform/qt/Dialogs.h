#pragma once
// Message boxes and the common dialogs, behind one injectable service. Production shows
// Qt dialogs (QtDialogs); tests install FakeDialogs, which records and answers from a
// script, so no test runs a modal loop.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/qt/Colors.h"
#include "platform/qt/Fonts.h"

class QPrinter;

namespace kiv {

// The Windows result codes.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum class MsgType { Warning, Error, Information, Confirmation, None };
// The Windows button sets; the first button is the default.
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };

struct MessageBoxRequest {
    QString Text;
    QString Caption;
    MsgType Type = MsgType::None;
    MsgButtons Buttons = MsgButtons::OK;
    bool HelpButton = false;  // a Help button that shows HelpContext and leaves the box open
    int HelpContext = 0;
};

// Whether the code is one the button set can answer.
bool IsAnswerOf(MsgButtons buttons, int code);
// What closing the box without a button means: Cancel, else No, else OK.
int CloseAnswerOf(MsgButtons buttons);
// The caption the class library gives each type ("Warning", "Error", "Information",
// "Confirm"); the program's title for MsgType::None.
QString DefaultCaption(MsgType type);

struct FileDialogRequest {
    QString Title;
    // Windows form: "Description|patterns|Description|patterns", patterns joined by ";".
    QString Filter;
    int FilterIndex = 1;  // 1-based, as Windows counts
    QString InitialDir;
    QString FileName;
    QString DefaultExt;  // without the dot; added to a name typed without extension
    bool MultiSelect = false;
    bool FileMustExist = false;
    bool PathMustExist = false;
    bool OverwritePrompt = false;
};

struct FileDialogResult {
    bool Accepted = false;
    QStringList Files;
    int FilterIndex = 1;
};

// One line of text asked for, as an input query does.
struct InputRequest {
    QString Caption;
    QString Prompt;
    bool Password = false;  // what is typed shows as "*"
    int MaxLength = 0;      // characters; 0 for no limit
};

struct FolderDialogRequest {
    QString Title;
    QString InitialDir;
    QString StatusText;  // a line above the folders; none when empty
    QString Root;        // the folder the user cannot leave upwards; none when empty
};

struct FontChoice {
    QString Name;  // the stored name, not the substituted family
    int Size = 10;
    TColor Color = clBlack;
    TFontStyles Styles = 0;
    bool operator==(const FontChoice&) const = default;
};

struct FontDialogRequest {
    FontChoice Font;
    bool Effects = true;  // underline, strike-out and colour offered
    int MinSize = 0;      // 0: no limit
    int MaxSize = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(const MessageBoxRequest& request) = 0;
    virtual FileDialogResult OpenFile(const FileDialogRequest& request) = 0;
    virtual FileDialogResult SaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> BrowseForFolder(const FolderDialogRequest& request) = 0;
    virtual std::optional<FontChoice> ChooseFont(const FontDialogRequest& request) = 0;
    virtual std::optional<TColor> ChooseColor(TColor initial) = 0;
    // The printer set-up dialog on the given printer; true when confirmed.
    virtual bool PrinterSetup(QPrinter& printer) = 0;
    // The text entered; nullopt when cancelled.
    virtual std::optional<QString> InputText(const InputRequest& request) = 0;
};

// The installed service; QtDialogs unless another was installed. While an UnattendedScope
// is open (the main window is gone, or a termination signal is being obeyed) there is nobody
// to ask: boxes go to the error stream, answered as their close would answer them, and the
// other dialogs are cancelled.
Dialogs& GetDialogs();
class UnattendedScope {
public:
    UnattendedScope();
    ~UnattendedScope();
    UnattendedScope(const UnattendedScope&) = delete;
    UnattendedScope& operator=(const UnattendedScope&) = delete;
};
bool Unattended();
// Installs a service and returns the one it replaces (null for the built-in default).
std::unique_ptr<Dialogs> InstallDialogs(std::unique_ptr<Dialogs> dialogs);

// Installs a service for a scope and puts the previous one back.
class ScopedDialogs {
public:
    explicit ScopedDialogs(std::unique_ptr<Dialogs> dialogs)
        : previous_(InstallDialogs(std::move(dialogs))) {}
    ~ScopedDialogs() { InstallDialogs(std::move(previous_)); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    std::unique_ptr<Dialogs> previous_;
};

// The class library's calls. Help context 0 means none.
int MessageDlg(const QString& text, MsgType type, MsgButtons buttons, int helpContext = 0,
               bool helpButton = false);
int MessageBox(const QString& text, const QString& caption, MsgType type, MsgButtons buttons);
// A plain box: the program's title, no icon, [OK].
void ShowMessage(const QString& text);

// Dialog components that keep their settings between runs, as a window's odOpen or
// sdSaveAs does. Execute shows the dialog; on OK the chosen files are kept.
class TOpenDialog {
public:
    virtual ~TOpenDialog() = default;
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName;
    QStringList Files;
    QString DefaultExt;
    bool MultiSelect = false;
    bool FileMustExist = false;
    bool PathMustExist = false;
    bool OverwritePrompt = false;

    bool Execute();

protected:
    virtual FileDialogResult Show(const FileDialogRequest& r) { return GetDialogs().OpenFile(r); }
};

class TSaveDialog : public TOpenDialog {
protected:
    FileDialogResult Show(const FileDialogRequest& r) override { return GetDialogs().SaveFile(r); }
};

class TFontDialog {
public:
    FontChoice Font;
    bool Effects = true;
    int MinSize = 0;
    int MaxSize = 0;
    bool Execute();
};

class TColorDialog {
public:
    TColor Color = clBlack;
    bool Execute();
};

}  // namespace kiv
