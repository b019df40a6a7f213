#include "dialogs/OutlineText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/RtfDocument.h"

namespace kiv {

namespace {

constexpr int kProgressEvery = 200;  // topics between two progress calls

// Stored text uses CR LF; a paragraph ends at each "\n".
std::string Lines(std::string text) {
    size_t w = 0;
    for (size_t r = 0; r < text.size(); ++r) {
        if (text[r] == '\r') {
            text[w++] = '\n';
            if (r + 1 < text.size() && text[r + 1] == '\n') ++r;
        } else {
            text[w++] = text[r];
        }
    }
    text.resize(w);
    return text;
}

// A paragraph's characters: colour (Windows value), size in points, style bits.
struct TLook {
    TColor Color;
    qreal Points;
    TFontStyles Style;
    bool operator<(const TLook& o) const {
        return std::tie(Color, Points, Style) < std::tie(o.Color, o.Points, o.Style);
    }
};

QTextCharFormat Attributes(const TLook& look) {
    QTextCharFormat f;
    SetStoredFontName(f, QString::fromLatin1(kOutlineFontName));
    f.setFontPointSize(look.Points);
    f.setFontWeight(look.Style & fsBold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(look.Style & fsItalic);
    f.setFontUnderline(look.Style & fsUnderline);
    f.setFontStrikeOut(look.Style & fsStrikeOut);
    // A caption without a colour of its own (-1) is written in black, like the rest.
    const TColor c = look.Color;
    const QColor q =
        c == kDefaultFontColor || c == clNone || c == clDefault ? QColor(Qt::black) : toQColor(c);
    f.setForeground(q.isValid() ? q : QColor(Qt::black));
    return f;
}

QTextBlockFormat Paragraph(int indent) {
    QTextBlockFormat b;
    b.setLeftMargin(indent);
    return b;
}

// Moves the paragraph so that its first line starts at the indent; its other lines keep
// their place relative to the first (a hanging indent stays hanging).
void SetFirstIndent(const QTextBlock& block, int indent) {
    QTextBlockFormat f = block.blockFormat();
    const qreal shift = indent - FirstLineIndent(block);
    if (shift == 0) return;
    f.setLeftMargin(std::max<qreal>(0, f.leftMargin() + shift));
    QTextCursor(block).setBlockFormat(f);  // a cursor on the block lays nothing out
}

// Writes the generator's paragraphs into a document, formats and all.
class DocumentSink {
public:
    explicit DocumentSink(QTextDocument& doc) : doc_(doc) {}
    ~DocumentSink() { End(); }

    // The whole document is one edit: the cursor lays out no block as text goes in.
    void Begin() {
        doc_.clear();
        cursor_ = QTextCursor(&doc_);
        cursor_.beginEditBlock();
        editing_ = true;
        cursor_.setBlockFormat(Paragraph(0));
        cursor_.setBlockCharFormat(Format({clBlack, 11, 0}));
    }
    void End() {
        if (editing_) cursor_.endEditBlock();
        editing_ = false;
    }

    // The text in the open paragraph, which then ends; the next one has the same formats.
    void Line(std::string_view utf8, const TLook& look, int indent) {
        const QTextCharFormat& f = Format(look);
        const QTextBlockFormat b = Paragraph(indent);
        cursor_.setBlockFormat(b);
        cursor_.setBlockCharFormat(f);
        if (!utf8.empty())
            cursor_.insertText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), f);
        cursor_.insertBlock(b, f);
    }

    // The card's own paragraphs go into the open one and after it, formats and all; false
    // when the card showed nothing.
    bool FormattedCard(const std::string& stored, const TLook& plain, int indent) {
        const int start = cursor_.position();
        const int firstBlock = cursor_.blockNumber();
        const QTextCharFormat& f = Format(plain);
        cursor_.setBlockCharFormat(f);
        InsertRichText(cursor_, stored, f);
        if (cursor_.position() > start && doc_.characterAt(start) == QChar(1)) {
            QTextCursor c(&doc_);
            c.setPosition(start);
            c.deleteChar();
        }
        cursor_.movePosition(QTextCursor::End);
        if (cursor_.position() == start) {  // nothing to show
            cursor_.setBlockFormat(Paragraph(indent));
            return false;
        }
        const QTextBlock last = cursor_.block();
        for (QTextBlock b = doc_.findBlockByNumber(firstBlock); b.isValid(); b = b.next()) {
            SetFirstIndent(b, indent);
            if (b == last) break;
        }
        return true;
    }

    // Ends the open paragraph as it stands (after a card, with the plain formats).
    void EndParagraph(const TLook& look, int indent) {
        cursor_.insertBlock(Paragraph(indent), Format(look));
    }
    void EmptyLine() { cursor_.insertBlock(cursor_.blockFormat(), cursor_.blockCharFormat()); }

private:
    const QTextCharFormat& Format(const TLook& look) {
        auto it = formats_.find(look);
        if (it == formats_.end()) it = formats_.emplace(look, Attributes(look)).first;
        return it->second;
    }

    QTextDocument& doc_;
    QTextCursor cursor_;
    std::map<TLook, QTextCharFormat> formats_;
    bool editing_ = false;
};

// Writes the same paragraphs as the text a ".txt" file of the document holds.
class TextSink {
public:
    explicit TextSink(std::string& out) : out_(out) {}
    void Begin() { out_.clear(); }
    void End() {}
    void Line(std::string_view utf8, const TLook&, int) {
        Append(utf8);
        out_ += '\n';
    }
    bool FormattedCard(const std::string& stored, const TLook&, int) {
        std::string text = RtfToPlainText(stored, RtfLineEnd::Lf);
        if (!text.empty() && text[0] == '\x01') text.erase(0, 1);
        Append(text);
        return !text.empty();
    }
    void EndParagraph(const TLook&, int) { out_ += '\n'; }
    void EmptyLine() { out_ += '\n'; }

private:
    // As the document's plain text has it: no-break spaces as blanks, line and paragraph
    // separators as line ends, object marks left out.
    void Append(std::string_view s) {
        size_t from = 0;
        for (size_t i = 0; i + 1 < s.size(); ++i) {
            const unsigned char c = uint8_t(s[i]);
            if (c != 0xC2 && c != 0xE2 && c != 0xEF) continue;
            const char* with = nullptr;
            size_t n = 0;
            if (s.compare(i, 2, "\xC2\xA0") == 0) with = " ", n = 2;
            else if (s.compare(i, 3, "\xE2\x80\xA8") == 0 || s.compare(i, 3, "\xE2\x80\xA9") == 0)
                with = "\n", n = 3;
            else if (s.compare(i, 3, "\xEF\xBF\xBC") == 0) with = "", n = 3;
            if (!with) continue;
            out_.append(s, from, i - from);
            out_ += with;
            i += n - 1;
            from = i + 1;
        }
        out_.append(s, from, std::string_view::npos);
    }

    std::string& out_;
};

template <class Sink>
class Generator {
public:
    Generator(Sink& sink, const TOutlineTextOptions& o, TCards& cards,
              const TOutlineProgress& progress)
        : sink_(sink), o_(o), cards_(cards), progress_(progress) {}

    int Count() const { return count_; }

    // One topic; number is its position among its siblings.
    void AppendTopicText(int number, int indent, const TNestItem& item) {
        TCardArray dir;
        BlockFile* f = cards_.CardFile();
        if (f && item.CardDir != 0) ReadCardDirectory(f, item.CardDir, dir);
        auto card = [&](uint8_t kind) {
            std::string s;
            if (!dir.empty()) ReadCardOfKind(f, dir, kind, s);
            return s;
        };

        // Title: the caption card, its prefix giving colour and style.
        TLook title = o_.WithTextCard ? kTitleWithCard : kTitle;
        const TCaptionCard caption = SplitCaptionCard(card(kCardCaption));
        if (caption.HasPrefix && o_.Formatting && !o_.WithTextCard)
            title = {caption.FontColor, 12, TFontStyles(caption.Flags & kFontStyleMask)};
        std::string line = Lines(LegacyText::Decode(caption.Caption));
        if (o_.TopicsNumbers) line.insert(0, std::to_string(number + 1) + ". ");
        sink_.Line(line, title, indent);

        if (o_.WithLinks) AppendLinks(card(kCardLaunch), indent + kOutlineBodyIndent);
        if (o_.WithTextCard) AppendTextCard(card(kCardText), indent + kOutlineBodyIndent);

        sink_.EmptyLine();  // every topic ends with an empty line
        if (++count_ % kProgressEvery == 0 && progress_) progress_(count_);
    }

private:
    static constexpr TLook kTitle{clBlack, 12, 0};
    static constexpr TLook kTitleWithCard{clBlue, 14, 0};
    static constexpr TLook kLinksHead{clBlack, 8, fsBold};
    static constexpr TLook kLink{clBlue, 9, fsUnderline};
    static constexpr TLook kPlainCard{clBlack, 11, 0};
    static constexpr TLook kCardDefault{clBlack, 10, 0};  // a card never formatted

    void AppendLinks(const std::string& stored, int indent) {
        std::string expanded;
        ConvertLinkPaths(false, stored, expanded);
        const std::vector<std::string> lines = SplitLines(expanded);
        if (lines.empty()) return;
        sink_.Line("Links:", kLinksHead, indent);
        for (const std::string& l : lines) {
            const size_t mark = l.find('\x01');
            // A line without a title mark has no target part.
            sink_.Line(mark == std::string::npos
                           ? std::string()
                           : LegacyText::Decode(std::string_view(l).substr(0, mark)),
                       kLink, indent);
        }
        sink_.Line({}, kLink, indent);
    }

    void AppendTextCard(const std::string& stored, int indent) {
        if (o_.Formatting) {
            if (sink_.FormattedCard(stored, kCardDefault, indent))
                sink_.EndParagraph(kPlainCard, indent);
            return;
        }
        std::string text = RtfToPlainText(stored, RtfLineEnd::Lf);
        if (!text.empty() && text[0] == '\x01') text.erase(0, 1);
        sink_.Line(text, kPlainCard, indent);
    }

    Sink& sink_;
    const TOutlineTextOptions& o_;
    TCards& cards_;
    const TOutlineProgress& progress_;
    int count_ = 0;
};

// The walk over the scope, the same for every sink.
template <class Sink>
int Generate(Sink& sink, const TOutlineTextOptions& options, TNester& model, TCards& cards,
             const TOutlineProgress& progress) {
    Generator<Sink> g(sink, options, cards, progress);
    sink.Begin();
    auto visit = [&g](uint32_t, int index, const TNestItem& item, int depth) {
        g.AppendTopicText(index, depth * kOutlineIndentStep + kOutlineIndentBase, item);
        return true;  // a walk is never cut short
    };
    bool stopped = false;
    switch (options.Scope) {
    case TOutlineScope::Panel: {
        // A row's number is its position among its siblings, counted in one pass.
        std::vector<int> siblings;
        for (int r = 0; r < model.RowCount(); ++r) {
            const int level = std::max(0, model.Level(r));
            siblings.resize(size_t(level) + 1, 0);
            const int number = siblings[size_t(level)]++;
            g.AppendTopicText(number, level * kOutlineIndentStep + kOutlineIndentBase,
                              model.GetItem(r));
        }
        break;
    }
    case TOutlineScope::Branch:
        if (model.ValidRow(model.CurrentRow())) {
            const TNode node = model.GetNode(model.CurrentRow());
            model.WalkNestItems(node.ParentNest, int(node.Index), stopped, visit);
        }
        break;
    case TOutlineScope::Outline:
        if (model.NestFile())
            model.WalkNestItems(ReadRootNest(model.NestFile()), -1, stopped, visit);
        break;
    }
    sink.End();
    return g.Count();
}

}  // namespace

qreal FirstLineIndent(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    return f.leftMargin() + f.textIndent();
}

int BuildOutlineText(QTextDocument& doc, const TOutlineTextOptions& options, TNester& model,
                     TCards& cards, const TOutlineProgress& progress) {
    DocumentSink sink(doc);
    doc.setUndoRedoEnabled(false);  // a generated document is where undo starts
    const int n = Generate(sink, options, model, cards, progress);
    doc.setUndoRedoEnabled(true);
    return n;
}

int BuildOutlineTextFile(std::string& text, const TOutlineTextOptions& options, TNester& model,
                         TCards& cards, const TOutlineProgress& progress) {
    TextSink sink(text);
    return Generate(sink, options, model, cards, progress);
}

TOutlinePairReader::TOutlinePairReader(const std::string& kivPath) {
    Kiv = PosixBlockFile::Open(kivPath, OpenMode::ReadOnly);
    Dsc = PosixBlockFile::Open(CardFilePathOf(kivPath), OpenMode::ReadOnly);
    Attach(*Kiv, *Dsc);
}

TOutlinePairReader::TOutlinePairReader(BlockFile& kiv, BlockFile& dsc) { Attach(kiv, dsc); }

void TOutlinePairReader::Attach(BlockFile& kiv, BlockFile& dsc) {
    if (kiv.Size() < kRootHeaderSize)
        throw EKivError("\"" + kiv.Path() + "\" is not a KIV datastructure");
    Model.SetNestFile(&kiv);
    Model.SetCardFile(&dsc);
    Cards.SetCardFile(&dsc);
}

}  // namespace kiv
