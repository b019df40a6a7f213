// The RTF reader on arbitrary bytes: it must end, stay within bounds, and give valid
// UTF-8 no larger than its input allows; the groups it hands over are pieces of the input
// (closed where the input ended) and read as pictures and objects without harm.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/LegacyText.h"
#include "platform/core/RtfPicture.h"
#include "platform/core/RtfReader.h"
#include "platform/core/RtfTokenizer.h"

using namespace kiv;

namespace {

struct Checker : RtfHandler {
    explicit Checker(std::string_view input) : input(input) {}
    void OnText(std::string_view t, const RtfCharFormat& f) override {
        if (t.empty() || !LegacyText::IsValidUtf8(t)) __builtin_trap();
        Format(f);
        total += t.size();
    }
    void OnParagraphEnd(const RtfParaFormat& p, const RtfCharFormat& f) override {
        if (p.leftIndent < -31680 || p.leftIndent > 31680 || p.spaceBefore < 0) __builtin_trap();
        Format(f);
    }
    void OnGroup(RtfGroupKind kind, std::string_view s, const RtfCharFormat&) override {
        if (s.empty() || s.front() != '{' || s.back() != '}') __builtin_trap();
        // The group is the input's, with at most the closing braces it lacked.
        std::string_view body = s;
        while (!body.empty() && body.back() == '}' && input.find(body) == std::string_view::npos)
            body.remove_suffix(1);
        if (input.find(body) == std::string_view::npos) __builtin_trap();
        RtfPicture p;
        RtfObject o;
        if (kind == RtfGroupKind::Picture) {
            ReadPictureGroup(s, p);
            if (p.data.size() > s.size()) __builtin_trap();
        } else {
            ReadObjectGroup(s, o);
        }
        int32_t w = 0, h = 0;
        RtfPictureSizeTwips(p, w, h);
        if (w < 0 || h < 0) __builtin_trap();
    }
    void Format(const RtfCharFormat& f) {
        if (f.halfPoints < 2 || f.halfPoints > 3276 || f.color < 0) __builtin_trap();
    }
    std::string_view input;
    size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);

    // Every token moves on.
    RtfTokenizer tok(in);
    size_t last = 0, tokens = 0;
    for (RtfToken t = tok.Next(); t.kind != RtfTokenKind::End; t = tok.Next()) {
        if (tok.Position() <= last || ++tokens > size) __builtin_trap();
        last = tok.Position();
    }

    // Each input byte makes at most three bytes of text (a raw byte becomes one character).
    const std::string text = RtfToPlainText(in);
    if (!LegacyText::IsValidUtf8(text) || text.size() > 3 * size + 2) __builtin_trap();

    // The same input as a document body.
    const std::string doc =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset128 G;}{\\f1\\fcharset204 C;}}" +
        std::string(in);
    RtfReader reader;
    Checker c(doc);
    reader.Read(doc, c);
    if (c.total > 3 * doc.size() + 2) __builtin_trap();
    for (const RtfFont& f : reader.Fonts())
        if (!LegacyText::IsValidUtf8(f.name)) __builtin_trap();
    return 0;
}
