#include "platform/qt/FakeDialogs.h"

#include <stdexcept>

namespace kiv {

QStringList FakeDialogs::MessageTexts() const {
    QStringList out;
    for (const auto& m : Messages) out << m.Text;
    return out;
}

size_t FakeDialogs::PendingAnswers() const {
    return messageAnswers_.size() + openAnswers_.size() + saveAnswers_.size() +
           folderAnswers_.size() + fontAnswers_.size() + colorAnswers_.size() +
           printerAnswers_.size() + inputAnswers_.size();
}

void FakeDialogs::Clear() { *this = FakeDialogs(); }

int FakeDialogs::MessageBox(const MessageBoxRequest& r) {
    Messages.push_back(r);
    if (messageAnswers_.empty()) {
        ++Unscripted;
        return r.Buttons == MsgButtons::YesNo || r.Buttons == MsgButtons::YesNoCancel ? IDYES
                                                                                      : IDOK;
    }
    int code = messageAnswers_.front();
    messageAnswers_.pop_front();
    if (!IsAnswerOf(r.Buttons, code))
        throw std::logic_error("scripted answer " + std::to_string(code) +
                               " does not fit the box \"" + r.Text.toStdString() + "\"");
    return code;
}

FileDialogResult FakeDialogs::Take(std::deque<std::optional<Files>>& q, int& unscripted) {
    FileDialogResult res;
    if (q.empty()) {
        ++unscripted;
        return res;
    }
    std::optional<Files> a = std::move(q.front());
    q.pop_front();
    if (a && !a->files.isEmpty()) {
        res.Accepted = true;
        res.Files = a->files;
        res.FilterIndex = a->filterIndex;
    }
    return res;
}

FileDialogResult FakeDialogs::OpenFile(const FileDialogRequest& r) {
    OpenRequests.push_back(r);
    FileDialogResult res = Take(openAnswers_, Unscripted);
    if (res.Accepted && !r.MultiSelect && res.Files.size() > 1)
        throw std::logic_error("scripted several files for a single-file open dialog");
    return res;
}

FileDialogResult FakeDialogs::SaveFile(const FileDialogRequest& r) {
    SaveRequests.push_back(r);
    return Take(saveAnswers_, Unscripted);
}

std::optional<QString> FakeDialogs::TakeText(std::deque<std::optional<QString>>& q,
                                             int& unscripted) {
    if (q.empty()) {
        ++unscripted;
        return std::nullopt;
    }
    const bool given = q.front().has_value();
    QString text = given ? *q.front() : QString();
    q.pop_front();
    if (!given) return std::nullopt;
    return text;
}

std::optional<QString> FakeDialogs::BrowseForFolder(const FolderDialogRequest& r) {
    FolderRequests.push_back(r);
    return TakeText(folderAnswers_, Unscripted);
}

std::optional<FontChoice> FakeDialogs::ChooseFont(const FontDialogRequest& r) {
    FontRequests.push_back(r);
    if (fontAnswers_.empty()) {
        ++Unscripted;
        return std::nullopt;
    }
    const bool chosen = fontAnswers_.front().has_value();
    FontChoice font = chosen ? *fontAnswers_.front() : FontChoice();
    fontAnswers_.pop_front();
    if (!chosen) return std::nullopt;
    return font;
}

std::optional<TColor> FakeDialogs::ChooseColor(TColor initial) {
    ColorRequests.push_back(initial);
    if (colorAnswers_.empty()) {
        ++Unscripted;
        return std::nullopt;
    }
    auto a = colorAnswers_.front();
    colorAnswers_.pop_front();
    return a;
}

std::optional<QString> FakeDialogs::InputText(const InputRequest& request) {
    InputRequests.push_back(request);
    return TakeText(inputAnswers_, Unscripted);
}

bool FakeDialogs::PrinterSetup(QPrinter&) {
    ++PrinterSetupRequests;
    if (printerAnswers_.empty()) {
        ++Unscripted;
        return false;
    }
    bool a = printerAnswers_.front();
    printerAnswers_.pop_front();
    return a;
}

}  // namespace kiv
