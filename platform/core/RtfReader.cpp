#include "platform/core/RtfReader.h"

#include <algorithm>

#include "platform/core/LegacyText.h"
#include "platform/core/RtfCodePage.h"
#include "platform/core/RtfTokenizer.h"
#include "platform/core/RtfWords.h"

namespace kiv {

namespace {

using rtfwords::W;
using rtfwords::WordEntry;

// Deeper groups share the state of this depth; real documents stay far below it.
constexpr size_t kMaxStateDepth = 1000;
// The longest control word we know; longer ones are unknown without a look-up.
constexpr size_t kMaxWordLength = 32;
constexpr int32_t kMaxTwips = 31680;  // 22 inches, the word processors' own limit
constexpr int32_t kMaxHalfPoints = 3276;

enum class Dest : uint8_t {
    Body,      // document text
    ListText,  // \pntext, \listtext: the list marker as a reader without lists shows it
    FontTable,
    FontEntry,
    ColorTable,
    Pn,        // {\*\pn ...}
    PnBefore,  // {\pntxtb ...}
    PnAfter,   // {\pntxta ...}
    Upr,       // {\upr {ansi}{\*\ud {unicode}}}
    UprChild,  // a group of \upr: skipped unless it is \ud
};

struct State {
    RtfCharFormat chr;
    RtfParaFormat para;
    int32_t uc = 1;
    Dest dest = Dest::Body;
    Dest uprOuter = Dest::Body;
    bool starred = false;
    size_t groupStart = 0;
};

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

bool IsRtf(std::string_view data) { return data.substr(0, 5) == "{\\rtf"; }

// One pass over one document.
class RtfReader::Run {
public:
    Run(RtfReader& reader, RtfHandler& handler, std::string_view data)
        : r_(reader), h_(handler), tok_(data) {}

    void Go();

private:
    struct Piece {
        std::string text;  // empty with lineBreak
        RtfCharFormat format;
        bool lineBreak = false;
    };

    State& Cur() { return stack_.back(); }

    void OpenGroup(const RtfToken& t);
    // Returns false when the document's own group closed.
    bool CloseGroup();
    void SkipRestOfGroup();
    void KeepRestOfGroup(RtfGroupKind kind);
    void ControlWord(const RtfToken& t);
    // The groups of control words; each returns whether the word was its own.
    bool DestinationWord(const WordEntry& e, State& s);
    bool DocumentWord(const WordEntry& e, const RtfToken& t, State& s);  // code page, \uN
    bool TableWord(const WordEntry& e, const RtfToken& t, Dest d);       // font, colour, list
    bool BreakWord(const WordEntry& e, State& s);  // paragraph ends, breaks, symbols
    bool ParagraphWord(const WordEntry& e, const RtfToken& t, RtfParaFormat& pf);
    void CharacterWord(const WordEntry& e, const RtfToken& t, RtfCharFormat& c);
    void ControlSymbol(char c);
    void TextRun(std::string_view s);
    void Byte(uint8_t b);
    void FlushMultibyte();
    void Emit(char32_t c);
    void EmitChecked(char32_t c);
    void Unicode(int32_t v);

    void BeginContent();
    void AppendBody(std::string_view utf8);
    void FlushText();
    void LineBreak();
    void EndParagraph();
    void ListTextDecision();

    void CommitFont();
    void CommitColor();
    void ClosePn();

    const RtfCodePageDecoder& Decoder();
    const RtfCodePageDecoder& DecoderFor(int32_t codePage);

    RtfReader& r_;
    RtfHandler& h_;
    RtfTokenizer tok_;
    std::vector<State> stack_;
    size_t overflow_ = 0;  // groups opened past kMaxStateDepth
    bool ended_ = false;   // the document's group has closed

    std::string text_;
    RtfCharFormat textFormat_;
    std::vector<Piece> listText_;
    bool paraContent_ = false;
    bool cellPending_ = false;

    int32_t skip_ = 0;            // fallback characters still to skip after \uN
    char32_t highSurrogate_ = 0;  // first half of a pair from \uN
    uint8_t mb_[4] = {};
    int mbLen_ = 0, mbNeed_ = 0;
    const RtfCodePageDecoder* mbDecoder_ = nullptr;

    RtfFont font_;
    bool fontOpen_ = false;
    RtfColor color_;
    bool colorTouched_ = false;
    RtfListFormat pn_;
    int pnLevel_ = 0;  // 0 none, 1 bullet, 2 numbered, 3 continuation
    RtfListKind pnStyle_ = RtfListKind::Decimal;

    std::vector<std::unique_ptr<RtfCodePageDecoder>> decoders_;
    int32_t cachedFont_ = -2;
    const RtfCodePageDecoder* cachedDecoder_ = nullptr;
};

void RtfReader::Run::Go() {
    while (!ended_) {
        RtfToken t = tok_.Next();
        if (t.kind == RtfTokenKind::End) break;
        if (t.kind != RtfTokenKind::HexByte && t.kind != RtfTokenKind::Text) FlushMultibyte();
        if (stack_.empty()) {
            // Only the document's own group is read.
            if (t.kind != RtfTokenKind::GroupOpen) break;
            stack_.emplace_back();
            Cur().groupStart = t.offset;
            continue;
        }
        if (Cur().dest == Dest::UprChild && overflow_ == 0) {
            // Of the groups of \upr only the Unicode one (\ud) is read.
            if (t.kind == RtfTokenKind::ControlSymbol && t.symbol == '*') continue;
            if (t.kind == RtfTokenKind::ControlWord && t.word == "ud") {
                Cur().dest = Cur().uprOuter;
                continue;
            }
            if (t.kind == RtfTokenKind::GroupClose) {
                CloseGroup();
                continue;
            }
            if (t.kind == RtfTokenKind::GroupOpen) tok_.SkipGroup();  // the group just opened
            SkipRestOfGroup();
            continue;
        }
        switch (t.kind) {
        case RtfTokenKind::GroupOpen: OpenGroup(t); break;
        case RtfTokenKind::GroupClose: CloseGroup(); break;
        case RtfTokenKind::ControlWord: ControlWord(t); break;
        case RtfTokenKind::ControlSymbol: ControlSymbol(t.symbol); break;
        case RtfTokenKind::HexByte:
            Cur().starred = false;
            if (skip_ > 0) {
                --skip_;
                break;
            }
            Byte(t.byte);
            break;
        case RtfTokenKind::Binary:
            // Binary data outside a picture is not text.
            Cur().starred = false;
            if (skip_ > 0) --skip_;
            break;
        case RtfTokenKind::Text:
            Cur().starred = false;
            TextRun(t.text);
            break;
        case RtfTokenKind::End: break;
        }
    }
    FlushMultibyte();
    if (highSurrogate_) EmitChecked(kReplacementChar);
    if (!stack_.empty() && (paraContent_ || !listText_.empty())) EndParagraph();
    FlushText();
}

void RtfReader::Run::OpenGroup(const RtfToken& t) {
    skip_ = 0;
    Cur().starred = false;
    if (stack_.size() >= kMaxStateDepth) {
        ++overflow_;
        return;
    }
    State s = Cur();
    s.starred = false;
    s.groupStart = t.offset;
    switch (s.dest) {
    case Dest::FontTable:
        s.dest = Dest::FontEntry;
        if (fontOpen_) CommitFont();
        font_ = RtfFont{};
        fontOpen_ = true;
        break;
    case Dest::Upr:
        s.uprOuter = Cur().uprOuter;
        s.dest = Dest::UprChild;
        break;
    default: break;
    }
    stack_.push_back(std::move(s));
}

bool RtfReader::Run::CloseGroup() {
    skip_ = 0;
    if (overflow_ > 0) {
        --overflow_;
        return true;
    }
    const Dest closing = Cur().dest;
    const Dest parent = stack_.size() >= 2 ? stack_[stack_.size() - 2].dest : Dest::Body;
    if (closing == Dest::FontEntry && parent == Dest::FontTable && fontOpen_) CommitFont();
    if (closing == Dest::FontTable && fontOpen_) CommitFont();
    if (closing == Dest::ColorTable && colorTouched_) CommitColor();
    // The document's group stays, so that its last paragraph can still end.
    if (stack_.size() == 1) {
        ended_ = true;
        return false;
    }
    stack_.pop_back();
    if (closing == Dest::Pn && parent != Dest::Pn) ClosePn();
    return true;
}

void RtfReader::Run::SkipRestOfGroup() {
    tok_.SkipGroup();
    CloseGroup();
}

void RtfReader::Run::KeepRestOfGroup(RtfGroupKind kind) {
    if (overflow_ > 0 || Cur().dest != Dest::Body) {
        SkipRestOfGroup();
        return;
    }
    const size_t start = Cur().groupStart;
    const size_t missing = tok_.SkipGroup();
    std::string_view source = tok_.Data().substr(start, tok_.Position() - start);
    BeginContent();
    FlushText();
    if (missing == 0) {
        h_.OnGroup(kind, source, Cur().chr);
    } else {
        // A group cut short by the end of the input is kept with its braces closed.
        std::string whole(source);
        whole.append(missing, '}');
        h_.OnGroup(kind, whole, Cur().chr);
    }
    // The stream has ended when braces were missing; the state goes either way.
    CloseGroup();
}

void RtfReader::Run::ControlWord(const RtfToken& t) {
    State& s = Cur();
    const bool starred = s.starred;
    s.starred = false;
    if (skip_ > 0) {
        // A control word in the fallback of \uN counts as one character.
        --skip_;
        return;
    }
    const WordEntry* e = t.word.size() <= kMaxWordLength ? rtfwords::Find(t.word) : nullptr;
    if (!e) {
        if (starred) SkipRestOfGroup();
        return;
    }
    if (DestinationWord(*e, s)) return;
    if (starred) {
        // A known word that is not a destination after \*: the group is an unknown one.
        SkipRestOfGroup();
        return;
    }
    if (DocumentWord(*e, t, s)) return;
    if (TableWord(*e, t, s.dest)) return;
    if (BreakWord(*e, s)) return;
    if (ParagraphWord(*e, t, s.para)) return;
    CharacterWord(*e, t, s.chr);
}

bool RtfReader::Run::DestinationWord(const WordEntry& e, State& s) {
    const Dest d = s.dest;
    switch (e.id) {
    case W::FontTbl:
        if (fontOpen_) CommitFont();
        s.dest = Dest::FontTable;
        return true;
    case W::ColorTbl:
        s.dest = Dest::ColorTable;
        color_ = RtfColor{};
        colorTouched_ = false;
        return true;
    case W::Pict: KeepRestOfGroup(RtfGroupKind::Picture); return true;
    case W::Object: KeepRestOfGroup(RtfGroupKind::Object); return true;
    case W::PnText:
    case W::ListText:
        if (d == Dest::Body) {
            s.dest = Dest::ListText;
            listText_.clear();
        } else {
            SkipRestOfGroup();
        }
        return true;
    case W::Pn:
        if (d == Dest::Body || d == Dest::ListText) {
            s.dest = Dest::Pn;
            pn_ = RtfListFormat{};
            pnLevel_ = 0;
            pnStyle_ = RtfListKind::Decimal;
        } else {
            SkipRestOfGroup();
        }
        return true;
    case W::PnTxtB:
    case W::PnTxtA:
        if (d == Dest::Pn) s.dest = e.id == W::PnTxtB ? Dest::PnBefore : Dest::PnAfter;
        else SkipRestOfGroup();
        return true;
    case W::Upr:
        s.uprOuter = d;
        s.dest = Dest::Upr;
        return true;
    case W::Ud:
        if (d == Dest::Upr || d == Dest::UprChild) s.dest = s.uprOuter;
        return true;
    case W::Transparent: return true;
    case W::Skip: SkipRestOfGroup(); return true;
    default: return false;
    }
}

bool RtfReader::Run::DocumentWord(const WordEntry& e, const RtfToken& t, State& s) {
    const int32_t p = t.param;
    switch (e.id) {
    case W::Ansi: r_.codePage_ = 1252; break;
    case W::Mac: r_.codePage_ = 10000; break;
    case W::Pc: r_.codePage_ = 437; break;
    case W::Pca: r_.codePage_ = 850; break;
    case W::AnsiCpg:
        if (t.hasParam && p > 0) r_.codePage_ = p;
        break;
    case W::Deff:
        if (t.hasParam && p >= 0) r_.defaultFont_ = p;
        break;
    case W::Uc:
        if (t.hasParam && p >= 0) s.uc = p;
        return true;
    case W::U: Unicode(p); return true;
    default: return false;
    }
    // The code page of the text may have changed: the decoder is chosen again.
    cachedFont_ = -2;
    return true;
}

bool RtfReader::Run::TableWord(const WordEntry& e, const RtfToken& t, Dest d) {
    const int32_t p = t.param;
    switch (d) {
    case Dest::FontTable:
    case Dest::FontEntry:
        switch (e.id) {
        case W::F:
            if (d == Dest::FontTable) {
                if (fontOpen_) CommitFont();
                font_ = RtfFont{};
                fontOpen_ = true;
            }
            font_.index = std::max(p, 0);
            break;
        case W::FCharset: font_.charset = p; break;
        case W::FPrq: font_.pitch = p; break;
        case W::Cpg: font_.codePage = std::max(p, 0); break;
        case W::FFamily: font_.family = std::string(t.word); break;
        case W::Special: Emit(e.value); break;
        default: break;
        }
        return true;
    case Dest::ColorTable:
        switch (e.id) {
        case W::Red: color_.red = uint8_t(Clamp(p, 0, 255)); break;
        case W::Green: color_.green = uint8_t(Clamp(p, 0, 255)); break;
        case W::Blue: color_.blue = uint8_t(Clamp(p, 0, 255)); break;
        default: return true;
        }
        colorTouched_ = true;
        return true;
    case Dest::Pn:
        switch (e.id) {
        case W::PnLvlBlt: pnLevel_ = 1; break;
        case W::PnLvlBody: pnLevel_ = 2; break;
        case W::PnLvlCont: pnLevel_ = 3; break;
        case W::PnLvl: pnLevel_ = 2; break;
        case W::PnStyle: pnStyle_ = RtfListKind(e.value); break;
        case W::PnStart: pn_.start = std::max(t.param, 0); break;
        default: break;
        }
        return true;
    default: return false;
    }
}

bool RtfReader::Run::BreakWord(const WordEntry& e, State& s) {
    const Dest d = s.dest;
    switch (e.id) {
    case W::Par:
        if (d == Dest::Body) EndParagraph();
        return true;
    case W::Line:
        if (d == Dest::Body) LineBreak();
        else if (d == Dest::ListText) listText_.push_back(Piece{std::string(), s.chr, true});
        return true;
    case W::Tab: Emit('\t'); return true;
    case W::Special: Emit(e.value); return true;
    case W::Cell:
        if (d != Dest::Body) return true;
        if (cellPending_) BeginContent();
        cellPending_ = true;
        paraContent_ = true;
        return true;
    case W::Row:
        if (d != Dest::Body) return true;
        cellPending_ = false;
        EndParagraph();
        return true;
    default: return false;
    }
}

bool RtfReader::Run::ParagraphWord(const WordEntry& e, const RtfToken& t, RtfParaFormat& pf) {
    const int32_t p = t.param;
    switch (e.id) {
    case W::Pard: pf = RtfParaFormat{}; return true;
    case W::Ql: pf.align = RtfAlign::Left; return true;
    case W::Qc: pf.align = RtfAlign::Center; return true;
    case W::Qr: pf.align = RtfAlign::Right; return true;
    case W::Qj: pf.align = RtfAlign::Justify; return true;
    case W::Li: pf.leftIndent = Clamp(p, -kMaxTwips, kMaxTwips); return true;
    case W::Ri: pf.rightIndent = Clamp(p, -kMaxTwips, kMaxTwips); return true;
    case W::Fi: pf.firstIndent = Clamp(p, -kMaxTwips, kMaxTwips); return true;
    case W::Sb: pf.spaceBefore = Clamp(p, 0, kMaxTwips); return true;
    case W::Sa: pf.spaceAfter = Clamp(p, 0, kMaxTwips); return true;
    default: return false;
    }
}

void RtfReader::Run::CharacterWord(const WordEntry& e, const RtfToken& t, RtfCharFormat& c) {
    const int32_t p = t.param;
    const bool on = !t.hasParam || p != 0;
    switch (e.id) {
    case W::Plain: c = RtfCharFormat{}; return;
    case W::F: c.font = t.hasParam ? std::max(p, 0) : -1; return;
    case W::Fs: c.halfPoints = t.hasParam && p > 0 ? Clamp(p, 2, kMaxHalfPoints) : 24; return;
    case W::Cf: c.color = std::max(p, 0); return;
    case W::B: c.bold = on; return;
    case W::I: c.italic = on; return;
    case W::Ul: c.underline = on; return;
    case W::UlNone: c.underline = false; return;
    case W::Strike: c.strike = on; return;
    case W::StrikeD: c.strike = on; return;
    default: return;
    }
}

void RtfReader::Run::ControlSymbol(char c) {
    State& s = Cur();
    s.starred = false;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    switch (c) {
    case '*': s.starred = true; return;
    case '\\':
    case '{':
    case '}': Emit(char32_t(c)); return;
    case '~': Emit(0x00A0); return;
    case '-': Emit(0x00AD); return;
    case '_': Emit(0x2011); return;
    case '\t': Emit('\t'); return;
    case '\n':
        if (s.dest == Dest::Body) EndParagraph();
        return;
    default: return;  // \| \: and unknown symbols
    }
}

void RtfReader::Run::TextRun(std::string_view s) {
    if (skip_ > 0) {
        const size_t n = std::min(s.size(), size_t(skip_));
        skip_ -= int32_t(n);
        s.remove_prefix(n);
        if (s.empty()) return;
    }
    if (mbNeed_ == 0 && Cur().dest == Dest::Body && highSurrogate_ == 0 &&
        !LegacyText::HasNonAscii(s)) {
        BeginContent();
        AppendBody(s);
        return;
    }
    for (char ch : s) {
        const uint8_t b = uint8_t(ch);
        if (b < 0x80 && mbNeed_ == 0) Emit(b);
        else Byte(b);
    }
}

void RtfReader::Run::Byte(uint8_t b) {
    if (mbNeed_ > 0) {
        mb_[mbLen_++] = b;
        if (mbLen_ == mbNeed_) {
            const char32_t c = mbDecoder_->Decode(mb_, mbLen_);
            mbLen_ = mbNeed_ = 0;
            Emit(c);
        }
        return;
    }
    const RtfCodePageDecoder& d = Decoder();
    const int n = d.SequenceLength(b);
    if (n <= 1) {
        Emit(d.Decode(&b, 1));
        return;
    }
    mb_[0] = b;
    mbLen_ = 1;
    mbNeed_ = n;
    mbDecoder_ = &d;
}

void RtfReader::Run::FlushMultibyte() {
    if (mbNeed_ == 0) return;
    // A lead byte whose sequence was cut short.
    mbLen_ = mbNeed_ = 0;
    Emit(kReplacementChar);
}

void RtfReader::Run::Unicode(int32_t v) {
    skip_ = Cur().uc;
    if (v < 0 && v >= -32768) v += 65536;
    if (v >= 0xD800 && v <= 0xDBFF) {
        if (highSurrogate_) EmitChecked(kReplacementChar);
        highSurrogate_ = char32_t(v);
        return;
    }
    if (v >= 0xDC00 && v <= 0xDFFF) {
        if (!highSurrogate_) {
            Emit(kReplacementChar);
            return;
        }
        const char32_t c = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (char32_t(v) - 0xDC00);
        highSurrogate_ = 0;
        Emit(c);
        return;
    }
    if (v < 0 || v > 0x10FFFF) {
        Emit(kReplacementChar);
        return;
    }
    if (v == 0) return;
    Emit(char32_t(v));
}

void RtfReader::Run::Emit(char32_t c) {
    if (highSurrogate_) {
        highSurrogate_ = 0;
        EmitChecked(kReplacementChar);
    }
    EmitChecked(c);
}

void RtfReader::Run::EmitChecked(char32_t c) {
    if (c == 0) return;
    char buf[4];
    std::string utf8;
    State& s = Cur();
    switch (s.dest) {
    case Dest::Body: {
        BeginContent();
        if (c < 0x80) {
            buf[0] = char(c);
            AppendBody(std::string_view(buf, 1));
        } else {
            LegacyText::AppendUtf8(utf8, c);
            AppendBody(utf8);
        }
        return;
    }
    case Dest::ListText:
        if (listText_.empty() || listText_.back().lineBreak || !(listText_.back().format == s.chr))
            listText_.push_back(Piece{std::string(), s.chr, false});
        LegacyText::AppendUtf8(listText_.back().text, c);
        return;
    case Dest::FontTable:
    case Dest::FontEntry:
        if (!fontOpen_) return;
        if (c == ';') CommitFont();
        else LegacyText::AppendUtf8(font_.name, c);
        return;
    case Dest::ColorTable:
        if (c == ';') CommitColor();
        return;
    case Dest::PnBefore: LegacyText::AppendUtf8(pn_.textBefore, c); return;
    case Dest::PnAfter: LegacyText::AppendUtf8(pn_.textAfter, c); return;
    default: return;
    }
}

void RtfReader::Run::BeginContent() {
    if (!listText_.empty()) ListTextDecision();
    if (cellPending_) {
        cellPending_ = false;
        AppendBody("\t");
    }
    paraContent_ = true;
}

void RtfReader::Run::ListTextDecision() {
    // The list text stands in for the marker of a list we do not read; for one we read
    // the marker comes from the numbering itself.
    std::vector<Piece> pieces;
    pieces.swap(listText_);
    if (Cur().para.list.kind != RtfListKind::None) return;
    FlushText();
    for (const Piece& p : pieces) {
        if (p.lineBreak) h_.OnLineBreak(p.format);
        else if (!p.text.empty()) h_.OnText(p.text, p.format);
    }
    paraContent_ = true;
}

void RtfReader::Run::AppendBody(std::string_view utf8) {
    const RtfCharFormat& f = Cur().chr;
    if (!text_.empty() && !(textFormat_ == f)) FlushText();
    if (text_.empty()) textFormat_ = f;
    text_ += utf8;
}

void RtfReader::Run::FlushText() {
    if (text_.empty()) return;
    h_.OnText(text_, textFormat_);
    text_.clear();
}

void RtfReader::Run::LineBreak() {
    BeginContent();
    FlushText();
    h_.OnLineBreak(Cur().chr);
}

void RtfReader::Run::EndParagraph() {
    if (!listText_.empty()) ListTextDecision();
    if (highSurrogate_) {
        highSurrogate_ = 0;
        EmitChecked(kReplacementChar);
    }
    cellPending_ = false;
    FlushText();
    h_.OnParagraphEnd(Cur().para, Cur().chr);
    paraContent_ = false;
}

void RtfReader::Run::CommitFont() {
    fontOpen_ = false;
    RtfFont f = std::move(font_);
    font_ = RtfFont{};
    // Names are "Arial;" with blanks around them now and then.
    size_t b = f.name.find_first_not_of(' ');
    size_t e = f.name.find_last_not_of(' ');
    f.name = b == std::string::npos ? std::string() : f.name.substr(b, e - b + 1);
    if (f.family.empty()) f.family = "fnil";
    if (f.codePage == 0 && f.charset >= 0) f.codePage = RtfCharsetCodePage(f.charset);
    cachedFont_ = -2;
    for (RtfFont& old : r_.fonts_)
        if (old.index == f.index) {
            old = std::move(f);
            return;
        }
    r_.fonts_.push_back(std::move(f));
}

void RtfReader::Run::CommitColor() {
    RtfColor c = color_;
    c.automatic = !colorTouched_;
    r_.colors_.push_back(c);
    color_ = RtfColor{};
    colorTouched_ = false;
}

void RtfReader::Run::ClosePn() {
    RtfListFormat l = std::move(pn_);
    pn_ = RtfListFormat{};
    switch (pnLevel_) {
    case 1:
        l.kind = RtfListKind::Bullet;
        l.start = 1;
        l.textBefore.clear();
        l.textAfter.clear();
        break;
    case 2: l.kind = pnStyle_; break;
    default: l = RtfListFormat{}; break;
    }
    Cur().para.list = std::move(l);
}

const RtfCodePageDecoder& RtfReader::Run::Decoder() {
    const Dest d = Cur().dest;
    if (d == Dest::FontTable || d == Dest::FontEntry)
        return DecoderFor(font_.codePage       ? font_.codePage
                          : font_.charset >= 0 ? RtfCharsetCodePage(font_.charset)
                                               : 0);
    const int32_t index = Cur().chr.font < 0 ? r_.defaultFont_ : Cur().chr.font;
    if (index == cachedFont_ && cachedDecoder_) return *cachedDecoder_;
    const RtfFont* f = r_.FindFont(index);
    cachedDecoder_ = &DecoderFor(f ? f->codePage : 0);
    cachedFont_ = index;
    return *cachedDecoder_;
}

const RtfCodePageDecoder& RtfReader::Run::DecoderFor(int32_t codePage) {
    if (codePage <= 0) codePage = r_.codePage_;
    for (const auto& d : decoders_)
        if (d->CodePage() == codePage) return *d;
    decoders_.push_back(std::make_unique<RtfCodePageDecoder>(codePage));
    return *decoders_.back();
}

RtfReader::RtfReader() = default;
RtfReader::~RtfReader() = default;

void RtfReader::Read(std::string_view data, RtfHandler& handler) {
    fonts_.clear();
    colors_.clear();
    defaultFont_ = 0;
    codePage_ = 1252;
    if (!IsRtf(data)) return;
    Run run(*this, handler, data);
    run.Go();
}

const RtfFont* RtfReader::FindFont(int32_t index) const {
    for (const RtfFont& f : fonts_)
        if (f.index == index) return &f;
    return nullptr;
}

const RtfFont* RtfReader::FontOf(const RtfCharFormat& format) const {
    return FindFont(format.font < 0 ? defaultFont_ : format.font);
}

RtfColor RtfReader::ColorAt(int32_t index) const {
    if (index <= 0 || size_t(index) >= colors_.size()) return RtfColor{};
    return colors_[size_t(index)];
}

}  // namespace kiv
