#include "platform/qt/RtfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/qt/RtfDocument.h"

namespace kiv {

namespace {

constexpr int kMaxTwips = 31680;

int Twips(qreal pixels) {
    const long t = std::lround(pixels * kTwipsPerPixel);
    return int(std::clamp<long>(t, -kMaxTwips, kMaxTwips));
}

// RTF text being written: control words get a blank after them only where the next
// character would otherwise be read as part of the word.
struct Out {
    std::string s;
    bool afterWord = false;

    void Word(const char* w) {
        s += '\\';
        s += w;
        afterWord = true;
    }
    void WordN(const char* w, long n) {
        s += '\\';
        s += w;
        s += std::to_string(n);
        afterWord = true;
    }
    void Raw(std::string_view r) {
        s += r;
        afterWord = false;
    }
    void Literal(char c) {
        if (afterWord && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == ' ' || c == '-'))
            s += ' ';
        s += c;
        afterWord = false;
    }
    // Text in 7 bits: escapes for the specials, \uN? for everything beyond ASCII.
    void Text(const QString& t, qsizetype from = 0, qsizetype n = -1) {
        const qsizetype end = n < 0 ? t.size() : from + n;
        for (qsizetype i = from; i < end; ++i) {
            const char16_t u = t[i].unicode();
            switch (u) {
            case '\\': Raw("\\\\"); continue;
            case '{': Raw("\\{"); continue;
            case '}': Raw("\\}"); continue;
            case '\t': Word("tab"); continue;
            case 0x2028: Word("line"); continue;
            case 0x00A0: Raw("\\~"); continue;
            case 0x00AD: Raw("\\-"); continue;
            case 0x2011: Raw("\\_"); continue;
            case 0xFFFC: continue;  // an object without its group: nothing to write
            default: break;
            }
            if (u >= 0x20 && u < 0x7F) {
                Literal(char(u));
            } else {
                WordN("u", long(int16_t(u)));
                Raw("?");
            }
        }
    }
};

struct FontKey {
    QString name;
    int charset = 0;
    QString family;
    bool operator==(const FontKey&) const = default;
};

struct CharState {
    int font = 0;
    int halfPoints = 24;
    int color = 0;
    bool bold = false, italic = false, underline = false, strike = false;
};

enum class ListKind { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct ParaState {
    int align = 0;  // 0 left, 1 centre, 2 right, 3 justify
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    ListKind list = ListKind::None;
    int start = 1;
    QString prefix, suffix;
    const QTextList* textList = nullptr;
    bool operator==(const ParaState&) const = default;
};

std::string Alpha(int n, bool upper) {
    std::string s;
    while (n > 0) {
        --n;
        s.insert(s.begin(), char((upper ? 'A' : 'a') + n % 26));
        n /= 26;
    }
    return s;
}

std::string Roman(int n, bool upper) {
    static const struct {
        int v;
        const char* s;
    } digits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                  {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                  {5, "v"},    {4, "iv"},   {1, "i"}};
    if (n <= 0 || n >= 4000) return std::to_string(n);
    std::string s;
    for (const auto& d : digits)
        while (n >= d.v) {
            s += d.s;
            n -= d.v;
        }
    if (upper)
        for (char& c : s) c = char(c - 'a' + 'A');
    return s;
}

std::string NumberText(ListKind k, int n) {
    switch (k) {
    case ListKind::LowerAlpha: return n > 0 ? Alpha(n, false) : std::to_string(n);
    case ListKind::UpperAlpha: return n > 0 ? Alpha(n, true) : std::to_string(n);
    case ListKind::LowerRoman: return Roman(n, false);
    case ListKind::UpperRoman: return Roman(n, true);
    default: return std::to_string(n);
    }
}

const char* StyleWord(ListKind k) {
    switch (k) {
    case ListKind::LowerAlpha: return "pnlcltr";
    case ListKind::UpperAlpha: return "pnucltr";
    case ListKind::LowerRoman: return "pnlcrm";
    case ListKind::UpperRoman: return "pnucrm";
    default: return "pndec";
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {
        const QFont f = doc.defaultFont();
        const QStringList families = f.families();
        defaultFont_.name = families.isEmpty() ? f.family() : families.first();
        defaultFont_.family = QStringLiteral("fnil");
        defaultHalfPoints_ = f.pointSizeF() > 0 ? int(std::lround(f.pointSizeF() * 2)) : 20;
        defaultBold_ = f.bold();
    }

    std::string Write(int from, int to);

private:
    int FontIndex(const FontKey& k) {
        for (size_t i = 0; i < fonts_.size(); ++i)
            if (fonts_[i] == k) return int(i);
        fonts_.push_back(k);
        return int(fonts_.size() - 1);
    }
    int ColorIndex(QRgb c) {
        for (size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i] == c) return int(i + 1);
        colors_.push_back(c);
        return int(colors_.size());
    }
    CharState StateOf(const QTextCharFormat& f);
    ParaState ParaOf(const QTextBlock& b);
    void Delta(const CharState& to);
    void Paragraph(const QTextBlock& b, int from, int to, bool first);
    void ListMarker(const QTextBlock& b, const ParaState& p, bool withDefinition);
    void Object(const QTextCharFormat& f);

    const QTextDocument& doc_;
    FontKey defaultFont_;
    int defaultHalfPoints_ = 20;
    bool defaultBold_ = false;
    std::vector<FontKey> fonts_;
    std::vector<QRgb> colors_;
    Out body_;
    CharState cur_;
    ParaState para_;
};

CharState Writer::StateOf(const QTextCharFormat& f) {
    CharState s;
    FontKey k;
    k.name = StoredFontName(f);
    if (k.name.isEmpty()) k = defaultFont_;
    k.name.remove(QLatin1Char(';'));  // it would end the font table entry
    if (f.hasProperty(RtfFontCharsetProperty))
        k.charset = std::max(0, f.intProperty(RtfFontCharsetProperty));
    if (f.hasProperty(RtfFontFamilyProperty)) k.family = f.stringProperty(RtfFontFamilyProperty);
    if (k.family.isEmpty()) k.family = QStringLiteral("fnil");
    s.font = FontIndex(k);
    s.halfPoints = f.hasProperty(QTextFormat::FontPointSize)
                       ? int(std::lround(f.fontPointSize() * 2))
                       : defaultHalfPoints_;
    s.halfPoints = std::clamp(s.halfPoints, 2, 3276);
    s.bold =
        f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold : defaultBold_;
    s.italic = f.fontItalic();
    s.underline = f.fontUnderline();
    s.strike = f.fontStrikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        s.color = ColorIndex(f.foreground().color().rgb() & 0xFFFFFF);
    return s;
}

ParaState Writer::ParaOf(const QTextBlock& b) {
    ParaState p;
    const QTextBlockFormat bf = b.blockFormat();
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) p.align = 1;
    else if (a & Qt::AlignJustify) p.align = 3;
    else if (a & (Qt::AlignRight | Qt::AlignTrailing)) p.align = 2;
    int levels = bf.indent();
    const QTextList* list = b.textList();
    if (list) levels += list->format().indent();
    p.left = Twips(bf.leftMargin() + levels * doc_.indentWidth());
    p.right = Twips(bf.rightMargin());
    p.before = std::max(0, Twips(bf.topMargin()));
    p.after = std::max(0, Twips(bf.bottomMargin()));
    p.first = list && bf.hasProperty(RtfListFirstIndentProperty)
                  ? std::clamp(bf.intProperty(RtfListFirstIndentProperty), -kMaxTwips, kMaxTwips)
                  : Twips(bf.textIndent());
    if (list) {
        const QTextListFormat lf = list->format();
        p.textList = list;
        switch (lf.style()) {
        case QTextListFormat::ListDecimal: p.list = ListKind::Decimal; break;
        case QTextListFormat::ListLowerAlpha: p.list = ListKind::LowerAlpha; break;
        case QTextListFormat::ListUpperAlpha: p.list = ListKind::UpperAlpha; break;
        case QTextListFormat::ListLowerRoman: p.list = ListKind::LowerRoman; break;
        case QTextListFormat::ListUpperRoman: p.list = ListKind::UpperRoman; break;
        default: p.list = ListKind::Bullet; break;
        }
        if (p.list != ListKind::Bullet) {
            p.start = lf.hasProperty(RtfListStartProperty)
                          ? std::max(0, lf.intProperty(RtfListStartProperty))
                          : 1;
            p.prefix = lf.numberPrefix();
            p.suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix()
                                                                     : QStringLiteral(".");
        }
    }
    return p;
}

void Writer::Delta(const CharState& to) {
    if (to.font != cur_.font) body_.WordN("f", to.font);
    if (to.halfPoints != cur_.halfPoints) body_.WordN("fs", to.halfPoints);
    if (to.color != cur_.color) body_.WordN("cf", to.color);
    if (to.bold != cur_.bold) body_.Word(to.bold ? "b" : "b0");
    if (to.italic != cur_.italic) body_.Word(to.italic ? "i" : "i0");
    if (to.underline != cur_.underline) body_.Word(to.underline ? "ul" : "ulnone");
    if (to.strike != cur_.strike) body_.Word(to.strike ? "strike" : "strike0");
    cur_ = to;
}

void Writer::ListMarker(const QTextBlock& b, const ParaState& p, bool withDefinition) {
    Out o;
    if (p.list == ListKind::Bullet) {
        const int symbol = FontIndex(FontKey{QStringLiteral("Symbol"), 2, QStringLiteral("fnil")});
        o.Raw("{");
        o.Word("pntext");
        o.WordN("f", symbol);
        o.Raw("\\'B7");
        o.Word("tab");
        o.Raw("}");
        if (withDefinition) {
            o.Raw("{");
            o.Word("*");
            o.Word("pn");
            o.Word("pnlvlblt");
            o.WordN("pnf", symbol);
            o.Word("pnindent0");
            o.Raw("{");
            o.Word("pntxtb");
            o.Raw("\\'B7}}");
        }
    } else {
        // The marker's font is the paragraph's first character's.
        QTextBlock::iterator it = b.begin();
        const int font =
            it.atEnd() ? StateOf(b.charFormat()).font : StateOf(it.fragment().charFormat()).font;
        const int number = p.start + p.textList->itemNumber(b);
        o.Raw("{");
        o.Word("pntext");
        o.WordN("f", font);
        o.Text(p.prefix + QString::fromStdString(NumberText(p.list, number)) + p.suffix);
        o.Word("tab");
        o.Raw("}");
        if (withDefinition) {
            o.Raw("{");
            o.Word("*");
            o.Word("pn");
            o.Word("pnlvlbody");
            o.WordN("pnf", font);
            o.Word("pnindent0");
            o.WordN("pnstart", p.start);
            o.Word(StyleWord(p.list));
            if (!p.prefix.isEmpty()) {
                o.Raw("{");
                o.Word("pntxtb");
                o.Text(p.prefix);
                o.Raw("}");
            }
            if (!p.suffix.isEmpty()) {
                o.Raw("{");
                o.Word("pntxta");
                o.Text(p.suffix);
                o.Raw("}");
            }
            o.Raw("}");
        }
    }
    body_.Raw(o.s);
}

void Writer::Object(const QTextCharFormat& f) {
    if (f.hasProperty(RtfRawGroupProperty)) {
        Delta(StateOf(f));
        body_.Raw(f.property(RtfRawGroupProperty).toByteArray().toStdString());
        return;
    }
    if (!f.isImageFormat()) return;
    // A picture that did not come from RTF goes out as PNG.
    const QTextImageFormat imf = f.toImageFormat();
    const QVariant v = doc_.resource(QTextDocument::ImageResource, QUrl(imf.name()));
    QImage img;
    if (v.typeId() == QMetaType::QImage) img = v.value<QImage>();
    else if (v.typeId() == QMetaType::QPixmap) img = v.value<QPixmap>().toImage();
    else if (v.typeId() == QMetaType::QByteArray) img.loadFromData(v.toByteArray());
    if (img.isNull()) return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!img.save(&buffer, "PNG")) return;
    const qreal w = imf.width() > 0 ? imf.width() : img.width();
    const qreal h = imf.height() > 0 ? imf.height() : img.height();
    Delta(StateOf(f));
    Out o;
    o.Raw("{");
    o.Word("pict");
    o.Word("pngblip");
    o.WordN("picw", img.width());
    o.WordN("pich", img.height());
    o.WordN("picwgoal", Twips(w));
    o.WordN("pichgoal", Twips(h));
    o.Raw("\r\n");
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        o.Raw(std::string_view(hex.constData() + i,
                               size_t(std::min<qsizetype>(128, hex.size() - i))));
        o.Raw("\r\n");
    }
    o.Raw("}");
    body_.Raw(o.s);
}

void Writer::Paragraph(const QTextBlock& b, int from, int to, bool first) {
    const ParaState p = ParaOf(b);
    const bool same = !first && p == para_;
    if (!same) {
        body_.Word("pard");
        if (p.list != ListKind::None) ListMarker(b, p, true);
        switch (p.align) {
        case 1: body_.Word("qc"); break;
        case 2: body_.Word("qr"); break;
        case 3: body_.Word("qj"); break;
        default: break;
        }
        if (p.first) body_.WordN("fi", p.first);
        if (p.left) body_.WordN("li", p.left);
        if (p.right) body_.WordN("ri", p.right);
        if (p.before) body_.WordN("sb", p.before);
        if (p.after) body_.WordN("sa", p.after);
    } else if (p.list != ListKind::None) {
        ListMarker(b, p, false);
    }
    para_ = p;

    bool any = false;
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        const int fs = std::max(frag.position(), from);
        const int fe = std::min(frag.position() + frag.length(), to);
        if (fs >= fe) continue;
        any = true;
        const QTextCharFormat f = frag.charFormat();
        const QString text = frag.text();
        const qsizetype offset = fs - frag.position();
        if (f.isImageFormat() || f.hasProperty(RtfRawGroupProperty)) {
            for (qsizetype i = offset; i < offset + (fe - fs); ++i)
                if (text[i] == QChar::ObjectReplacementCharacter) Object(f);
            continue;
        }
        Delta(StateOf(f));
        body_.Text(text, offset, fe - fs);
    }
    const int end = b.position() + b.length() - 1;  // the paragraph's mark
    if (end < to) {
        // An empty paragraph's height comes from its mark's format.
        if (!any) Delta(StateOf(b.charFormat()));
        body_.Word("par");
        body_.Raw("\r\n");
    }
}

std::string Writer::Write(int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, doc_.characterCount());
    bool first = true;
    for (QTextBlock b = doc_.findBlock(from); b.isValid() && from < to && b.position() < to;
         b = b.next()) {
        Paragraph(b, from, to, first);
        first = false;
    }
    if (fonts_.empty()) fonts_.push_back(defaultFont_);

    Out head;
    head.Raw("{");
    head.Word("rtf1");
    head.Word("ansi");
    head.Word("ansicpg1252");
    head.Word("deff0");
    head.Raw("{");
    head.Word("fonttbl");
    for (size_t i = 0; i < fonts_.size(); ++i) {
        head.Raw("{");
        head.WordN("f", long(i));
        head.Word(fonts_[i].family.toLatin1().constData());
        head.WordN("fcharset", fonts_[i].charset);
        head.Raw(" ");
        head.Text(fonts_[i].name);
        head.Raw(";}");
    }
    head.Raw("}\r\n");
    if (!colors_.empty()) {
        head.Raw("{");
        head.Word("colortbl");
        head.Raw(" ;");
        for (QRgb c : colors_) {
            head.WordN("red", qRed(c));
            head.WordN("green", qGreen(c));
            head.WordN("blue", qBlue(c));
            head.Raw(";");
        }
        head.Raw("}\r\n");
    }
    head.Word("viewkind4");
    head.Word("uc1");
    head.s += body_.s;
    head.Raw("}\r\n");
    return std::move(head.s);
}

}  // namespace

std::string WriteRtf(const QTextDocument& doc) {
    return Writer(doc).Write(0, doc.characterCount());
}

std::string WriteRtf(const QTextDocument& doc, int from, int to) {
    return Writer(doc).Write(from, to);
}

std::string WriteRtf(const QTextCursor& selection) {
    if (!selection.document()) return WriteRtf(QTextDocument());
    return Writer(*selection.document())
        .Write(selection.selectionStart(), selection.selectionEnd());
}

}  // namespace kiv
