// The plain text of stored text cards, for search, export and e-mail.
#include <string>

#include "platform/core/LegacyText.h"
#include "platform/core/RtfReader.h"

namespace kiv {

namespace {

class PlainTextHandler : public RtfHandler {
public:
    explicit PlainTextHandler(const char* eol) : eol_(eol) {}
    void OnText(std::string_view utf8, const RtfCharFormat&) override {
        Separate();
        out_ += utf8;
    }
    void OnLineBreak(const RtfCharFormat&) override {
        Separate();
        out_ += eol_;
    }
    void OnParagraphEnd(const RtfParaFormat&, const RtfCharFormat&) override {
        Separate();
        pending_ = true;
    }
    void OnGroup(RtfGroupKind, std::string_view, const RtfCharFormat&) override { Separate(); }
    std::string Take() { return std::move(out_); }

private:
    void Separate() {
        if (pending_) out_ += eol_;
        pending_ = false;
    }
    const char* eol_;
    std::string out_;
    bool pending_ = false;
};

}  // namespace

std::string RtfToPlainText(std::string_view stored, RtfLineEnd lineEnd) {
    const char* eol = lineEnd == RtfLineEnd::CrLf ? "\r\n" : "\n";
    if (IsRtf(stored)) {
        RtfReader reader;
        PlainTextHandler h(eol);
        reader.Read(stored, h);
        return h.Take();
    }
    const std::string text = LegacyText::Decode(stored);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += eol;
        } else if (c == '\n') {
            out += eol;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kiv
