#pragma once
// The dialogs of the tests: every request is recorded, and each answer comes from a
// script, in order. A box or dialog with no scripted answer gets the default answer (the
// first button; Cancel for dialogs) and is counted in Unscripted, so a test can insist on
// a full script. A scripted answer the box cannot give (Yes to an OK box) raises
// std::logic_error: the test's script is wrong.
#include <deque>
#include <optional>
#include <vector>

#include "platform/qt/Dialogs.h"

namespace kiv {

class FakeDialogs : public Dialogs {
public:
    // What was asked, in order.
    std::vector<MessageBoxRequest> Messages;
    std::vector<FileDialogRequest> OpenRequests;
    std::vector<FileDialogRequest> SaveRequests;
    std::vector<FolderDialogRequest> FolderRequests;
    std::vector<FontDialogRequest> FontRequests;
    std::vector<TColor> ColorRequests;
    int PrinterSetupRequests = 0;
    std::vector<InputRequest> InputRequests;
    int Unscripted = 0;

    // The script.
    void AnswerMessage(int code) { messageAnswers_.push_back(code); }
    void AnswerOpen(QStringList files, int filterIndex = 1) {
        openAnswers_.push_back(Files{std::move(files), filterIndex});
    }
    void AnswerSave(QString file, int filterIndex = 1) {
        saveAnswers_.push_back(Files{{std::move(file)}, filterIndex});
    }
    void CancelOpen() { openAnswers_.push_back(std::nullopt); }
    void CancelSave() { saveAnswers_.push_back(std::nullopt); }
    void AnswerFolder(std::optional<QString> folder) {
        folderAnswers_.push_back(std::move(folder));
    }
    void AnswerFont(std::optional<FontChoice> font) { fontAnswers_.push_back(std::move(font)); }
    void AnswerColor(std::optional<TColor> color) { colorAnswers_.push_back(color); }
    void AnswerPrinterSetup(bool ok) { printerAnswers_.push_back(ok); }
    void AnswerInput(std::optional<QString> text) { inputAnswers_.push_back(std::move(text)); }

    // The texts of the message boxes shown, in order.
    QStringList MessageTexts() const;
    // Answers not yet used.
    size_t PendingAnswers() const;
    void Clear();

    int MessageBox(const MessageBoxRequest& request) override;
    FileDialogResult OpenFile(const FileDialogRequest& request) override;
    FileDialogResult SaveFile(const FileDialogRequest& request) override;
    std::optional<QString> BrowseForFolder(const FolderDialogRequest& request) override;
    std::optional<FontChoice> ChooseFont(const FontDialogRequest& request) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    bool PrinterSetup(QPrinter& printer) override;
    std::optional<QString> InputText(const InputRequest& request) override;

private:
    struct Files {
        QStringList files;
        int filterIndex;
    };
    static FileDialogResult Take(std::deque<std::optional<Files>>& q, int& unscripted);
    static std::optional<QString> TakeText(std::deque<std::optional<QString>>& q, int& unscripted);

    std::deque<int> messageAnswers_;
    std::deque<std::optional<Files>> openAnswers_, saveAnswers_;
    std::deque<std::optional<QString>> folderAnswers_;
    std::deque<std::optional<FontChoice>> fontAnswers_;
    std::deque<std::optional<TColor>> colorAnswers_;
    std::deque<bool> printerAnswers_;
    std::deque<std::optional<QString>> inputAnswers_;
};

}  // namespace kiv
