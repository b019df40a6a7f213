#include "dialogs/OutlineText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/RtfDocument.h"

namespace kiv {

namespace {

constexpr int kProgressEvery = 200;  // topics between two progress calls

QString FromStored(std::string_view stored) {
    const std::string utf8 = LegacyText::Decode(stored);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Stored text uses CR LF; the cursor starts a paragraph at each "\n".
QString Lines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QTextCharFormat Attributes(TColor color, qreal points, TFontStyles style) {
    QTextCharFormat f;
    SetStoredFontName(f, QString::fromLatin1(kOutlineFontName));
    f.setFontPointSize(points);
    f.setFontWeight(style & fsBold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style & fsItalic);
    f.setFontUnderline(style & fsUnderline);
    f.setFontStrikeOut(style & fsStrikeOut);
    // A caption without a colour of its own (-1) is written in black, like the rest.
    const QColor c = color == kDefaultFontColor || color == clNone || color == clDefault ? QColor(Qt::black)
                                                                                         : toQColor(color);
    f.setForeground(c.isValid() ? c : QColor(Qt::black));
    return f;
}

QTextBlockFormat Paragraph(int indent) {
    QTextBlockFormat b;
    b.setLeftMargin(indent);
    return b;
}

// Moves the paragraph so that its first line starts at the indent; its other lines keep
// their place relative to the first (a hanging indent stays hanging).
void SetFirstIndent(QTextCursor& c, const QTextBlock& block, int indent) {
    QTextBlockFormat f = block.blockFormat();
    const qreal shift = indent - FirstLineIndent(block);
    if (shift == 0) return;
    f.setLeftMargin(std::max<qreal>(0, f.leftMargin() + shift));
    c.setPosition(block.position());
    c.setBlockFormat(f);
}

class Generator {
public:
    Generator(QTextDocument& doc, const TOutlineTextOptions& o, TCards& cards, const TOutlineProgress& progress)
        : doc_(doc), o_(o), cards_(cards), progress_(progress), cursor_(&doc),
          title_(o.WithTextCard ? Attributes(clBlue, 14, 0) : Attributes(clBlack, 12, 0)),
          linksHead_(Attributes(clBlack, 8, fsBold)),
          link_(Attributes(clBlue, 9, fsUnderline)),
          plainCard_(Attributes(clBlack, 11, 0)),
          cardDefault_(Attributes(clBlack, 10, 0)) {}

    int Count() const { return count_; }

    void Begin() {
        doc_.clear();
        cursor_ = QTextCursor(&doc_);
        cursor_.setBlockFormat(Paragraph(0));
        cursor_.setBlockCharFormat(Attributes(clBlack, 11, 0));
    }

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
        QTextCharFormat title = title_;
        const TCaptionCard caption = SplitCaptionCard(card(kCardCaption));
        if (caption.HasPrefix && o_.Formatting && !o_.WithTextCard)
            title = Attributes(caption.FontColor, 12, caption.Flags & kFontStyleMask);
        QString line = FromStored(caption.Caption);
        if (o_.TopicsNumbers) line.prepend(QString::number(number + 1) + QStringLiteral(". "));
        Line(Lines(line), title, Paragraph(indent));

        if (o_.WithLinks) AppendLinks(card(kCardLaunch), indent + kOutlineBodyIndent);
        if (o_.WithTextCard) AppendTextCard(card(kCardText), indent + kOutlineBodyIndent);

        // Every topic ends with an empty line.
        cursor_.insertBlock(cursor_.blockFormat(), cursor_.blockCharFormat());
        if (++count_ % kProgressEvery == 0 && progress_) progress_(count_);
    }

private:
    // The text in the open paragraph, which then ends; the next one has the same formats.
    void Line(const QString& text, const QTextCharFormat& f, const QTextBlockFormat& b) {
        cursor_.setBlockFormat(b);
        cursor_.setBlockCharFormat(f);
        if (!text.isEmpty()) cursor_.insertText(text, f);
        cursor_.insertBlock(b, f);
    }

    void AppendLinks(const std::string& stored, int indent) {
        std::string expanded;
        ConvertLinkPaths(false, stored, expanded);
        const std::vector<std::string> lines = SplitLines(expanded);
        if (lines.empty()) return;
        const QTextBlockFormat b = Paragraph(indent);
        Line(QStringLiteral("Links:"), linksHead_, b);
        for (const std::string& l : lines) {
            const size_t mark = l.find('\x01');
            // A line without a title mark has no target part.
            Line(mark == std::string::npos ? QString() : FromStored(std::string_view(l).substr(0, mark)), link_, b);
        }
        Line(QString(), link_, b);
    }

    void AppendTextCard(const std::string& stored, int indent) {
        if (!o_.Formatting) {
            std::string text = RtfToPlainText(stored, RtfLineEnd::Lf);
            if (!text.empty() && text[0] == '\x01') text.erase(0, 1);
            Line(QString::fromUtf8(text.data(), qsizetype(text.size())), plainCard_, Paragraph(indent));
            return;
        }
        // The card's own paragraphs go into the open one and after it, formats and all.
        const int start = cursor_.position();
        const int firstBlock = cursor_.blockNumber();
        cursor_.setBlockCharFormat(cardDefault_);
        InsertRichText(cursor_, stored, cardDefault_);
        if (cursor_.position() > start && doc_.characterAt(start) == QChar(1)) {
            QTextCursor c(&doc_);
            c.setPosition(start);
            c.deleteChar();
        }
        cursor_.movePosition(QTextCursor::End);
        if (cursor_.position() == start) {  // nothing to show
            cursor_.setBlockFormat(Paragraph(indent));
            return;
        }
        const QTextBlock last = cursor_.block();
        QTextCursor c(&doc_);
        for (QTextBlock b = doc_.findBlockByNumber(firstBlock); b.isValid(); b = b.next()) {
            BlackWhereUncoloured(c, b);
            SetFirstIndent(c, b, indent);
            if (b == last) break;
        }
        // The card's last paragraph ends; what follows has the plain formats.
        cursor_.insertBlock(Paragraph(indent), plainCard_);
    }

    // Text the card left in the automatic colour shows black, as the hidden editor's
    // default made it.
    static void BlackWhereUncoloured(QTextCursor& c, const QTextBlock& b) {
        std::vector<std::pair<int, int>> spans;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.charFormat().hasProperty(QTextFormat::ForegroundBrush))
                spans.emplace_back(frag.position(), frag.length());
        }
        QTextCharFormat black;
        black.setForeground(QColor(Qt::black));
        for (const auto& [pos, len] : spans) {
            c.setPosition(pos);
            c.setPosition(pos + len, QTextCursor::KeepAnchor);
            c.mergeCharFormat(black);
        }
    }

    QTextDocument& doc_;
    const TOutlineTextOptions& o_;
    TCards& cards_;
    const TOutlineProgress& progress_;
    QTextCursor cursor_;
    const QTextCharFormat title_, linksHead_, link_, plainCard_, cardDefault_;
    int count_ = 0;
};

}  // namespace

qreal FirstLineIndent(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    return f.leftMargin() + f.textIndent();
}

int BuildOutlineText(QTextDocument& doc, const TOutlineTextOptions& options, TNester& model, TCards& cards,
                     const TOutlineProgress& progress) {
    Generator g(doc, options, cards, progress);
    doc.setUndoRedoEnabled(false);  // a generated document is where undo starts
    g.Begin();
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
            g.AppendTopicText(number, level * kOutlineIndentStep + kOutlineIndentBase, model.GetItem(r));
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
        if (model.NestFile()) model.WalkNestItems(ReadRootNest(model.NestFile()), -1, stopped, visit);
        break;
    }
    doc.setUndoRedoEnabled(true);
    return g.Count();
}

}  // namespace kiv
