#pragma once
// The RTF reader: interprets what the rich-edit control and word processors write and
// hands text with its character and paragraph formats to a handler. The plain-text reader
// that search, export and e-mail use is one such handler; the QTextDocument builder of
// the Qt layer is another.
//
// Bounded on any input: groups are tracked without recursion, states are kept for a
// limited depth only, skipped and kept-whole groups are scanned with a counter, and every
// number saturates. Text after the group that closes the document is not read, as the
// rich-edit control does; a document cut short is read to its end.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Character formats, in RTF's own units.
struct RtfCharFormat {
    int32_t font = -1;        // \fN as written; -1 = the document's \deff
    int32_t halfPoints = 24;  // \fsN
    int32_t color = 0;        // \cfN; 0 = automatic
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlign : uint8_t { Left, Center, Right, Justify };

// Paragraph numbering as the rich-edit control writes it ({\*\pn ...}).
enum class RtfListKind : uint8_t {
    None,
    Bullet,
    Decimal,
    LowerAlpha,
    UpperAlpha,
    LowerRoman,
    UpperRoman
};

struct RtfListFormat {
    RtfListKind kind = RtfListKind::None;
    int32_t start = 1;       // \pnstart
    std::string textBefore;  // {\pntxtb ...}, UTF-8
    std::string textAfter;   // {\pntxta ...}, UTF-8
    bool operator==(const RtfListFormat&) const = default;
};

// Paragraph formats; lengths in twips.
struct RtfParaFormat {
    RtfAlign align = RtfAlign::Left;
    int32_t leftIndent = 0;   // \li
    int32_t rightIndent = 0;  // \ri
    int32_t firstIndent = 0;  // \fi, relative to \li
    int32_t spaceBefore = 0;  // \sb
    int32_t spaceAfter = 0;   // \sa
    RtfListFormat list;
    bool operator==(const RtfParaFormat&) const = default;
};

struct RtfFont {
    int32_t index = 0;     // \fN
    std::string name;      // UTF-8, as stored
    int32_t charset = -1;  // \fcharsetN; -1 = not given
    int32_t codePage = 0;  // \cpgN or from the charset; 0 = the document's
    std::string family;    // "fswiss", "froman", ... ("fnil" when not given)
    int32_t pitch = -1;    // \fprqN
};

struct RtfColor {
    bool automatic = true;  // the empty first entry
    uint8_t red = 0, green = 0, blue = 0;
};

enum class RtfGroupKind : uint8_t { Picture, Object };

class RtfHandler {
public:
    virtual ~RtfHandler() = default;
    // A run of text of one format (UTF-8; tabs included).
    virtual void OnText(std::string_view utf8, const RtfCharFormat& format) = 0;
    // \line: a break inside the paragraph.
    virtual void OnLineBreak(const RtfCharFormat& format) {}
    // The end of a paragraph (\par, \row and the like), with the paragraph's formats and the
    // character format of its mark. A document's last paragraph without a mark ends too.
    virtual void OnParagraphEnd(const RtfParaFormat& para, const RtfCharFormat& mark) = 0;
    // A picture or embedded object: the whole group's source from its '{' to its '}'.
    virtual void OnGroup(RtfGroupKind kind, std::string_view source, const RtfCharFormat& format) {}
};

// True when the bytes begin with "{\rtf".
bool IsRtf(std::string_view data);

class RtfReader {
public:
    RtfReader();
    ~RtfReader();
    RtfReader(const RtfReader&) = delete;
    RtfReader& operator=(const RtfReader&) = delete;

    // Reads an RTF document to its end. Input that is not RTF gives no calls.
    void Read(std::string_view data, RtfHandler& handler);

    // The tables read so far.
    const std::vector<RtfFont>& Fonts() const { return fonts_; }
    const RtfFont* FindFont(int32_t index) const;
    // The font of a character format (its \f or the \deff one), or null.
    const RtfFont* FontOf(const RtfCharFormat& format) const;
    const std::vector<RtfColor>& Colors() const { return colors_; }
    // The colour of a \cf index; an automatic one for 0 and indexes past the table.
    RtfColor ColorAt(int32_t index) const;
    int32_t DefaultFont() const { return defaultFont_; }
    int32_t CodePage() const { return codePage_; }

private:
    class Run;
    friend class Run;
    std::vector<RtfFont> fonts_;
    std::vector<RtfColor> colors_;
    int32_t defaultFont_ = 0;
    int32_t codePage_ = 1252;
};

enum class RtfLineEnd : uint8_t { CrLf, Lf };

// The plain text of a stored text card: RTF through the reader, anything else as stored
// text (LegacyText). UTF-8; paragraphs and line breaks end with CR LF (or LF), the last
// paragraph without one. Pictures and objects give nothing.
std::string RtfToPlainText(std::string_view stored, RtfLineEnd lineEnd = RtfLineEnd::CrLf);

}  // namespace kiv
