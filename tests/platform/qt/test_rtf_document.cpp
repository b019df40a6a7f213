// RTF into a QTextDocument and back: the fixtures' text and formats through the plain
// reader and the builder, read-write-read on every fixture, and what the writer makes of
// documents edited in Qt.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "platform/core/RtfReader.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"

using namespace kiv;

namespace {

std::filesystem::path FixtureDir() {
    const char* src = std::getenv("KIV_SOURCE_DIR");
    return std::filesystem::path(src ? src : ".") / "tests" / "fixtures" / "rtf";
}

std::string ReadFixture(const std::string& name) {
    std::ifstream in(FixtureDir() / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The document's text with LF between paragraphs and line breaks; objects left out.
QString TextOf(const QTextDocument& doc) {
    QString t;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin()) t += QLatin1Char('\n');
        t += b.text();
    }
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.remove(QChar::ObjectReplacementCharacter);
    return t;
}

int Twips(qreal px) { return int(std::lround(px * kTwipsPerPixel)); }

// Everything the writer keeps, one line per paragraph and format run, for comparing
// documents.
std::string Describe(const QTextDocument& doc) {
    std::map<const QTextList*, int> lists;
    std::ostringstream o;
    auto chars = [](const QTextCharFormat& f) {
        std::ostringstream c;
        c << StoredFontName(f).toStdString() << '|' << f.intProperty(RtfFontCharsetProperty) << '|'
          << f.fontPointSize() << '|' << (f.fontWeight() > QFont::Normal) << f.fontItalic()
          << f.fontUnderline() << f.fontStrikeOut() << '|';
        if (f.hasProperty(QTextFormat::ForegroundBrush))
            c << std::hex << (f.foreground().color().rgb() & 0xFFFFFF) << std::dec;
        else c << "auto";
        if (f.hasProperty(RtfRawGroupProperty))
            c << "|raw " << f.property(RtfRawGroupProperty).toByteArray().size();
        return c.str();
    };
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        o << "P " << int(bf.alignment() & Qt::AlignHorizontal_Mask) << ' ' << Twips(bf.leftMargin())
          << ' ' << Twips(bf.rightMargin()) << ' ' << Twips(bf.textIndent()) << ' '
          << bf.intProperty(RtfListFirstIndentProperty) << ' ' << Twips(bf.topMargin()) << ' '
          << Twips(bf.bottomMargin());
        if (const QTextList* l = b.textList()) {
            if (!lists.count(l)) lists.emplace(l, int(lists.size()));
            const QTextListFormat lf = l->format();
            o << " list" << lists[l] << ' ' << lf.style() << " '" << lf.numberPrefix().toStdString()
              << "' '" << lf.numberSuffix().toStdString() << "' "
              << lf.intProperty(RtfListStartProperty) << ' ' << lf.indent();
        }
        o << '\n';
        if (b.length() == 1) o << "  mark " << chars(b.charFormat()) << '\n';
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            o << "  [" << chars(f.charFormat()) << "] " << f.text().toStdString() << '\n';
        }
    }
    return o.str();
}

struct Doc {
    QTextDocument doc;
    explicit Doc(std::string_view rtf) { LoadRichText(doc, rtf); }
    // The char format at the start of the first occurrence of text (which must exist, and
    // lie within one format run).
    int Find(const QString& text, int occurrence = 0) const {
        int p = doc.toRawText().indexOf(text);
        while (p >= 0 && occurrence-- > 0) p = doc.toRawText().indexOf(text, p + 1);
        return p;
    }
    QTextCharFormat CharAt(const QString& text, int occurrence = 0) const {
        const int p = Find(text, occurrence);
        EXPECT_GE(p, 0) << text.toStdString();
        QTextCursor c(const_cast<QTextDocument*>(&doc));
        c.setPosition(std::max(p, 0) + 1);
        return c.charFormat();
    }
    bool SameFormatThroughout(const QString& text, int occurrence = 0) const {
        const int p = Find(text, occurrence);
        if (p < 0) return false;
        QTextCursor c(const_cast<QTextDocument*>(&doc));
        c.setPosition(p + 1);
        const QTextCharFormat first = c.charFormat();
        for (int i = 2; i <= text.size(); ++i) {
            c.setPosition(p + i);
            if (c.charFormat() != first) return false;
        }
        return true;
    }
    QTextBlock BlockAt(const QString& text, int occurrence = 0) const {
        return doc.findBlock(std::max(0, Find(text, occurrence)));
    }
};

// Expected formats of a piece of a fixture; unset fields are not checked.
struct Expect {
    const char* text = "";
    int occurrence = 0;  // of text in the document, from 0
    std::optional<const char*> font = {};
    std::optional<double> size = {};
    std::optional<bool> bold = {}, italic = {}, underline = {}, strike = {};
    std::optional<QRgb> color = {};  // kAuto for automatic
    std::optional<int> align = {};   // Qt::Alignment bits
    std::optional<int> left = {}, right = {}, first = {}, before = {}, after = {};  // twips
    std::optional<QTextListFormat::Style> list = {};
    std::optional<const char*> suffix = {};
    std::optional<int> start = {};
};
constexpr QRgb kAuto = 0xFF000000;

struct FixtureCase {
    const char* file;
    std::vector<Expect> expect;
};

const std::vector<FixtureCase>& Fixtures() {
    static const std::vector<FixtureCase> cases = {
        {"re_plain", {{.text = "The first paragraph", .font = "Arial", .size = 10, .bold = false}}},
        {"re_styles",
         {{.text = "plain ", .bold = false, .italic = false, .underline = false, .strike = false},
          {.text = "bold", .bold = true, .italic = false},
          {.text = "italic", .bold = false, .italic = true},
          {.text = "underlined", .underline = true, .strike = false},
          {.text = "struck", .underline = false, .strike = true},
          {.text = "both", .bold = true, .italic = true},
          {.text = "bold underlined paragraph", .bold = true, .underline = true},
          {.text = "after plain", .font = "Arial", .size = 10, .bold = false, .underline = false}}},
        {"re_colours",
         {{.text = "auto", .color = kAuto},
          {.text = "red", .color = 0xFF0000},
          {.text = "navy", .color = 0x000080},
          {.text = "green", .color = 0x008000},
          {.text = "red paragraph", .color = 0xFF0000}}},
        {"re_fonts",
         {{.text = "Arial", .font = "Arial"},
          {.text = "Times", .font = "Times New Roman"},
          {.text = "Courier", .font = "Courier New"},
          {.text = "Sans Serif", .font = "MS Sans Serif"},
          {.text = "unknown face", .font = "Some Font Nobody Has"}}},
        {"re_sizes",
         {{.text = "eight", .size = 8},
          {.text = "ten ", .size = 10},
          {.text = "ten and a half", .size = 10.5},
          {.text = "fourteen", .size = 14},
          {.text = "twenty-four", .size = 24},
          {.text = "big line", .size = 36}}},
        {"re_alignment",
         {{.text = "left", .align = Qt::AlignLeft},
          {.text = "centred", .align = Qt::AlignHCenter},
          {.text = "right", .align = Qt::AlignRight},
          {.text = "justified", .align = Qt::AlignJustify},
          {.text = "back to left", .align = Qt::AlignLeft}}},
        {"re_indents",
         {{.text = "left indent", .left = 720, .right = 0, .first = 0},
          {.text = "both sides", .left = 1440, .right = 720},
          {.text = "first line in", .left = 0, .first = 360},
          {.text = "hanging indent", .left = 720, .first = -360},
          {.text = "space around", .before = 240, .after = 120},
          {.text = "plain paragraph", .left = 0, .first = 0, .before = 0, .after = 0}}},
        {"re_bullets",
         {{.text = "Before the list", .left = 0},
          {.text = "first bullet", .left = 720, .first = -720, .list = QTextListFormat::ListDisc},
          {.text = "second bullet", .list = QTextListFormat::ListDisc},
          {.text = "one",
           .left = 720,
           .first = -360,
           .list = QTextListFormat::ListDecimal,
           .suffix = ".",
           .start = 1},
          {.text = "letter a", .list = QTextListFormat::ListLowerAlpha, .suffix = ")"},
          {.text = "roman four",
           .list = QTextListFormat::ListUpperRoman,
           .suffix = ".",
           .start = 4}}},
        {"re_codepages",
         {{.text = "Caf\u00E9", .font = "Arial"},
          {.text = "\u041F\u0440\u0438\u0432\u0435\u0442", .font = "Arial CYR"},
          {.text = "\u03B1\u03B2\u03B3", .font = "Times New Roman Greek"},
          {.text = "\u0160\u010D", .font = "Arial CE"},
          {.text = "\u3042\u30A2", .font = "MS Gothic"}}},
        {"re_specials", {{.text = "em\u2014en", .size = 10}}},
        {"re_table", {{.text = "Name\tValue", .size = 10}}},
        {"re_picture", {{.text = "Before", .font = "Arial", .size = 10}}},
        {"lo_formatted",
         {{.text = "Heading One",
           .font = "Liberation Serif",
           .size = 24,
           .bold = true,
           .before = 240,
           .after = 120},
          {.text = "Plain text with", .size = 12, .bold = false},
          {.text = "bold", .bold = true},
          {.text = "italic", .bold = false, .italic = true},
          {.text = "underlined", .underline = true},
          {.text = "struck", .strike = true},
          {.text = "A centred", .align = Qt::AlignHCenter},
          {.text = "A right", .align = Qt::AlignRight},
          {.text = "A justified", .align = Qt::AlignJustify},
          {.text = "Indented by an inch", .left = 1440},
          {.text = "Courier New text", .font = "Courier New"},
          {.text = "big Times", .font = "Times New Roman", .size = 18},
          {.text = "small", .size = 8},
          {.text = "red", .occurrence = 1, .color = 0xFF0000},
          {.text = "blue", .color = 0x0000FF},
          {.text = "green", .color = 0x008000}}},
        {"lo_lists",
         {{.text = "First bullet", .left = 709, .first = -283},
          {.text = "Name\tValue", .bold = false},
          {.text = "After the table", .left = 0}}},
        {"lo_plain", {{.text = "Second line", .size = 10}}},
        {"lo_picture", {{.text = "Text before", .size = 12}}},
    };
    return cases;
}

void Check(const Doc& d, const Expect& e, const std::string& where) {
    const QString text = QString::fromUtf8(e.text);
    SCOPED_TRACE(where + ": " + e.text);
    ASSERT_GE(d.Find(text, e.occurrence), 0);
    EXPECT_TRUE(d.SameFormatThroughout(text, e.occurrence));
    const QTextCharFormat f = d.CharAt(text, e.occurrence);
    if (e.font) {
        EXPECT_EQ(StoredFontName(f).toStdString(), *e.font);
    }
    if (e.size) {
        EXPECT_DOUBLE_EQ(f.fontPointSize(), *e.size);
    }
    if (e.bold) {
        EXPECT_EQ(f.fontWeight() > QFont::Normal, *e.bold);
    }
    if (e.italic) {
        EXPECT_EQ(f.fontItalic(), *e.italic);
    }
    if (e.underline) {
        EXPECT_EQ(f.fontUnderline(), *e.underline);
    }
    if (e.strike) {
        EXPECT_EQ(f.fontStrikeOut(), *e.strike);
    }
    if (e.color) {
        if (*e.color == kAuto) {
            EXPECT_FALSE(f.hasProperty(QTextFormat::ForegroundBrush));
        } else {
            EXPECT_EQ(f.foreground().color().rgb() & 0xFFFFFF, *e.color);
        }
    }
    const QTextBlock b = d.BlockAt(text, e.occurrence);
    const QTextBlockFormat bf = b.blockFormat();
    if (e.align) {
        EXPECT_EQ(int(bf.alignment() & Qt::AlignHorizontal_Mask), *e.align);
    }
    if (e.left) {
        EXPECT_EQ(Twips(bf.leftMargin()), *e.left);
    }
    if (e.right) {
        EXPECT_EQ(Twips(bf.rightMargin()), *e.right);
    }
    if (e.first) {
        const int first =
            b.textList() ? bf.intProperty(RtfListFirstIndentProperty) : Twips(bf.textIndent());
        EXPECT_EQ(first, *e.first);
    }
    if (e.before) {
        EXPECT_EQ(Twips(bf.topMargin()), *e.before);
    }
    if (e.after) {
        EXPECT_EQ(Twips(bf.bottomMargin()), *e.after);
    }
    if (e.list) {
        ASSERT_NE(b.textList(), nullptr);
        EXPECT_EQ(b.textList()->format().style(), *e.list);
    }
    if (e.suffix) {
        EXPECT_EQ(b.textList()->format().numberSuffix().toStdString(), *e.suffix);
    }
    if (e.start) {
        EXPECT_EQ(b.textList()->format().intProperty(RtfListStartProperty), *e.start);
    }
}

}  // namespace

TEST(RtfDocument, FixturesThroughThePlainReaderAndTheBuilder) {
    for (const auto& c : Fixtures()) {
        SCOPED_TRACE(c.file);
        const std::string rtf = ReadFixture(std::string(c.file) + ".rtf");
        const std::string text = ReadFixture(std::string(c.file) + ".txt");
        ASSERT_FALSE(rtf.empty());
        EXPECT_EQ(RtfToPlainText(rtf, RtfLineEnd::Lf), text);
        Doc d(rtf);
        EXPECT_EQ(TextOf(d.doc).toStdString(), text);
        for (const Expect& e : c.expect) Check(d, e, c.file);
    }
}

TEST(RtfDocument, ReadWriteReadKeepsTextAndFormatsOfEveryFixture) {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(FixtureDir())) {
        if (e.path().extension() != ".rtf") continue;
        ++n;
        const std::string name = e.path().filename().string();
        SCOPED_TRACE(name);
        Doc first(ReadFixture(name));
        const std::string written = WriteRtf(first.doc);
        Doc second(written);
        EXPECT_EQ(Describe(second.doc), Describe(first.doc));
        // The writer is stable: what it wrote reads back into the same RTF.
        EXPECT_EQ(WriteRtf(second.doc), written);
    }
    EXPECT_GE(n, 16u);
}

TEST(RtfDocument, StoredFontNamesAreDrawnThroughTheSubstitution) {
    Doc d(ReadFixture("re_fonts.rtf"));
    const struct {
        const char* text;
        const char* stored;
    } cases[] = {{"Arial", "Arial"},
                 {"Times", "Times New Roman"},
                 {"Courier", "Courier New"},
                 {"Sans Serif", "MS Sans Serif"},
                 {"unknown face", "Some Font Nobody Has"}};
    for (const auto& c : cases) {
        const QTextCharFormat f = d.CharAt(c.text);
        EXPECT_EQ(StoredFontName(f).toStdString(), c.stored);
        EXPECT_EQ(QFontInfo(f.font()).family(),
                  QFontInfo(QFont(SubstituteFontName(c.stored))).family())
            << c.stored;
    }
}

TEST(RtfDocument, ListParagraphsFormOneListPerRun) {
    Doc d(ReadFixture("re_bullets.rtf"));
    const QTextList* bullets = d.BlockAt("first bullet").textList();
    ASSERT_NE(bullets, nullptr);
    EXPECT_EQ(d.BlockAt("second bullet").textList(), bullets);
    EXPECT_EQ(bullets->count(), 2);
    EXPECT_EQ(d.BlockAt("Between").textList(), nullptr);
    const QTextList* numbers = d.BlockAt("two").textList();
    ASSERT_NE(numbers, nullptr);
    EXPECT_EQ(numbers->count(), 3);
    EXPECT_EQ(numbers->itemText(d.BlockAt("three")), "3.");
    EXPECT_NE(d.BlockAt("letter b").textList(), numbers);
    EXPECT_EQ(d.BlockAt("letter b").textList()->itemText(d.BlockAt("letter b")), "b)");
    EXPECT_EQ(d.BlockAt("After the lists").textList(), nullptr);
}

TEST(RtfDocument, EmptyParagraphsKeepTheSizeOfTheirMark) {
    Doc d(ReadFixture("re_sizes.rtf"));
    const QTextBlock empty = d.doc.findBlockByNumber(2);
    ASSERT_EQ(empty.length(), 1);
    EXPECT_DOUBLE_EQ(empty.charFormat().fontPointSize(), 20);
}

TEST(RtfDocument, PicturesAndObjectsAreShownAndKept) {
    const std::string rtf = ReadFixture("re_picture.rtf");
    Doc d(rtf);
    std::vector<QTextImageFormat> objects;
    for (QTextBlock b = d.doc.begin(); b.isValid(); b = b.next())
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                objects.push_back(it.fragment().charFormat().toImageFormat());
    ASSERT_EQ(objects.size(), 3u);
    for (const auto& f : objects) {
        const QByteArray raw = f.property(RtfRawGroupProperty).toByteArray();
        EXPECT_NE(rtf.find(raw.toStdString()), std::string::npos);  // the group exactly as read
        EXPECT_FALSE(
            d.doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>().isNull());
    }
    // The PNG is the picture itself, shown at its goal size; the metafile a placeholder of
    // its size; the object shows the picture of its result.
    const QImage png =
        d.doc.resource(QTextDocument::ImageResource, QUrl(objects[0].name())).value<QImage>();
    EXPECT_EQ(png.size(), QSize(4, 3));
    EXPECT_EQ(png.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_DOUBLE_EQ(objects[0].width(), 40);
    EXPECT_DOUBLE_EQ(objects[0].height(), 30);
    EXPECT_DOUBLE_EQ(objects[1].width(), 80);
    EXPECT_EQ(objects[2].intProperty(RtfGroupKindProperty), int(RtfGroupKind::Object));
    EXPECT_EQ(d.doc.resource(QTextDocument::ImageResource, QUrl(objects[2].name()))
                  .value<QImage>()
                  .size(),
              QSize(4, 3));
    EXPECT_DOUBLE_EQ(objects[2].width(), 80);

    // A word processor's picture inside \shppict, scaled.
    Doc lo(ReadFixture("lo_picture.rtf"));
    QTextCursor c(&lo.doc);
    c.setPosition(lo.doc.toRawText().indexOf(QChar::ObjectReplacementCharacter) + 1);
    ASSERT_TRUE(c.charFormat().isImageFormat());
    EXPECT_DOUBLE_EQ(c.charFormat().toImageFormat().width(), 64);
    EXPECT_EQ(lo.doc
                  .resource(QTextDocument::ImageResource,
                            QUrl(c.charFormat().toImageFormat().name()))
                  .value<QImage>()
                  .size(),
              QSize(8, 6));
}

TEST(RtfDocument, APictureSurvivesAnEditElsewhereAndAStore) {
    const std::string rtf = ReadFixture("re_picture.rtf");
    Doc d(rtf);
    QTextCursor c(&d.doc);
    c.insertText("Edited: ");
    c.movePosition(QTextCursor::End);
    c.insertText(" And more.");
    const std::string stored = WriteRtf(d.doc);
    for (const char* group :
         {"{\\pict\\pngblip\\picw4", "{\\pict\\wmetafile8", "{\\object\\objemb"}) {
        const size_t from = rtf.find(group);
        ASSERT_NE(from, std::string::npos);
        // The group from the source, unchanged, up to its closing brace.
        int depth = 0;
        size_t to = from;
        for (; to < rtf.size(); ++to) {
            if (rtf[to] == '{') ++depth;
            if (rtf[to] == '}' && --depth == 0) break;
        }
        EXPECT_NE(stored.find(rtf.substr(from, to - from + 1)), std::string::npos) << group;
    }
    EXPECT_EQ(RtfToPlainText(stored, RtfLineEnd::Lf),
              "Edited: Before after.\nA metafile here.\nAn object done. And more.");
}

TEST(RtfDocument, PlainTextCardsTakeTheDefaultFont) {
    QTextDocument doc;
    QTextCharFormat f;
    SetStoredFontName(f, "Arial");
    f.setFontPointSize(10);
    LoadRichText(doc, "caf\xe9\r\nsecond line\r\n", f);
    EXPECT_EQ(TextOf(doc).toStdString(), "caf\u00E9\nsecond line\n");
    QTextCursor c(&doc);
    c.setPosition(1);
    EXPECT_EQ(StoredFontName(c.charFormat()), "Arial");
    EXPECT_DOUBLE_EQ(c.charFormat().fontPointSize(), 10);
    LoadRichText(doc, "");
    EXPECT_TRUE(doc.isEmpty());
}

TEST(RtfDocument, LoadingACardIsNotUndoable) {
    QTextDocument doc;
    LoadRichText(doc, ReadFixture("re_plain.rtf"));
    QTextCursor(&doc).insertText("typed ");
    LoadRichText(doc, ReadFixture("re_styles.rtf"));
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    QTextCursor(&doc).insertText("x");
    doc.undo();
    EXPECT_EQ(TextOf(doc).toStdString(), ReadFixture("re_styles.txt"));
}

TEST(RtfDocument, DamagedInputBuildsWhatThePlainReaderReads) {
    const std::string deep(100000, '{');
    const std::string undeep(100000, '}');
    const std::string cases[] = {
        "{\\rtf1 {\\b a\\par {{b",
        "{\\rtf1 a}}} b}",
        "{\\rtf1 " + deep + "x\\par y" + undeep + "z}",
        "{\\rtf1 " + deep + "x",
        "{\\rtf1 a\\bin999999999 b}",
        "{\\rtf1 a{\\pict\\pngblip\\picwgoal99999999999\\pichgoal99999999999 89504e47}b{\\object\\objw-5\\objh99999999}c",
        "{\\rtf1 a\\" + std::string(10000, 'x') + " b\\fs99999999999 c\\li-99999999999 d\\par}",
        "{\\rtf1{\\fonttbl" + deep + "}x",
        "{\\rtf1 \\pard{\\*\\pn\\pnlvlbody\\pnstart-99999999999{\\pntxta " + deep + "}}n\\par}",
    };
    for (const std::string& rtf : cases) {
        SCOPED_TRACE(rtf.substr(0, 60));
        Doc d(rtf);
        const std::string text = RtfToPlainText(rtf, RtfLineEnd::Lf);
        EXPECT_EQ(TextOf(d.doc).toStdString(), text);
        Doc back(WriteRtf(d.doc));
        EXPECT_EQ(TextOf(back.doc).toStdString(), text);
        for (QTextBlock b = d.doc.begin(); b.isValid(); b = b.next())
            for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isImageFormat()) {
                    EXPECT_LE(it.fragment().charFormat().toImageFormat().width(), 10000);
                    EXPECT_GT(it.fragment().charFormat().toImageFormat().width(), 0);
                }
    }
}

TEST(RtfWriter, WritesTheRichEditControlsForm) {
    Doc d(ReadFixture("re_codepages.rtf"));
    const std::string out = WriteRtf(d.doc);
    EXPECT_EQ(
        out.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}", 0),
        0u)
        << out;
    EXPECT_NE(out.find("\\viewkind4\\uc1\\pard"), std::string::npos);
    EXPECT_NE(out.find("{\\f1\\fswiss\\fcharset204 Arial CYR;}"), std::string::npos);
    EXPECT_NE(out.find("Caf\\u233? \\u8364?"), std::string::npos);
    EXPECT_NE(out.find("\\u-10179?\\u-8704?"), std::string::npos);  // beyond 16 bits as a pair
    for (unsigned char ch : out) ASSERT_LT(ch, 0x80);
    EXPECT_EQ(std::count(out.begin(), out.end(), '{'), std::count(out.begin(), out.end(), '}'));
    EXPECT_EQ(out.substr(out.size() - 3), "}\r\n");
}

TEST(RtfWriter, TablesHoldOnlyWhatIsUsed) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat a;
    SetStoredFontName(a, "Tahoma");
    a.setFontPointSize(9);
    a.setForeground(QColor(0, 0, 255));
    c.insertText("blue ", a);
    QTextCharFormat b = a;
    b.setForeground(QColor(255, 0, 0));
    c.insertText("red ", b);
    c.insertText("blue again", a);
    const std::string out = WriteRtf(doc);
    EXPECT_NE(out.find("{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}"), std::string::npos) << out;
    EXPECT_NE(out.find("{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\\pard\\fs18\\cf1 blue \\cf2 red \\cf1 blue again\\par"), std::string::npos)
        << out;

    // The re_bullets source lists Symbol; a document without bullets does not.
    Doc plain(ReadFixture("re_plain.rtf"));
    EXPECT_EQ(WriteRtf(plain.doc).find("colortbl"), std::string::npos);
    EXPECT_EQ(WriteRtf(plain.doc).find("Symbol"), std::string::npos);
}

TEST(RtfWriter, WritesASpan) {
    Doc d(ReadFixture("re_styles.rtf"));
    QTextCursor c(&d.doc);
    const int from = d.doc.toRawText().indexOf("bold");
    const int to = d.doc.toRawText().indexOf("underlined paragraph");
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    const std::string out = WriteRtf(c);
    EXPECT_EQ(RtfToPlainText(out, RtfLineEnd::Lf),
              "bold italic underlined struck both plain again\nbold ");
    Doc back(out);
    EXPECT_TRUE(back.CharAt("bold").fontWeight() > QFont::Normal);
    EXPECT_TRUE(back.CharAt("both").fontItalic());
    EXPECT_EQ(back.doc.blockCount(), 2);

    // Inside one paragraph: no paragraph end.
    c.setPosition(from);
    c.setPosition(from + 4, QTextCursor::KeepAnchor);
    EXPECT_EQ(WriteRtf(c).find("\\par\r\n"), std::string::npos);
    EXPECT_EQ(RtfToPlainText(WriteRtf(c)), "bold");
}

TEST(RtfWriter, DocumentsEditedInQt) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText("Title");
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertBlock(QTextBlockFormat());
    c.createList(QTextListFormat::ListDisc);  // Qt's own list: one indent level
    c.insertText("item {1} \\ end\tx");
    c.insertBlock();
    c.insertText("item 2 \u2014 \U0001F600 \u00A0\x01");
    c.insertBlock(QTextBlockFormat());
    c.insertText("line one");
    c.insertText(QString(QChar::LineSeparator));
    c.insertText("line two");
    QImage img(5, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:green"), img);
    QTextImageFormat imf;
    imf.setName("mem:green");
    c.insertImage(imf);

    const std::string out = WriteRtf(doc);
    Doc back(out);
    EXPECT_EQ(TextOf(back.doc), TextOf(doc));
    EXPECT_EQ(back.BlockAt("Title").blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    const QTextBlock item = back.BlockAt("item 2");
    ASSERT_NE(item.textList(), nullptr);
    EXPECT_EQ(item.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(item.textList()->count(), 2);
    EXPECT_EQ(Twips(item.blockFormat().leftMargin()),
              Twips(doc.indentWidth()));  // the list's indent level
    EXPECT_EQ(back.BlockAt("line one").textList(), nullptr);
    // A picture that came from Qt goes out as PNG and comes back as that picture.
    EXPECT_NE(out.find("{\\pict\\pngblip\\picw5\\pich4"), std::string::npos);
    QTextCursor p(&back.doc);
    p.setPosition(back.doc.toRawText().indexOf(QChar::ObjectReplacementCharacter) + 1);
    ASSERT_TRUE(p.charFormat().isImageFormat());
    const QImage got =
        back.doc.resource(QTextDocument::ImageResource, QUrl(p.charFormat().toImageFormat().name()))
            .value<QImage>();
    EXPECT_EQ(got.size(), QSize(5, 4));
    EXPECT_EQ(got.pixel(2, 2) & 0xFFFFFF, 0x00FF00u);
}

TEST(RtfWriter, AnEmptyDocumentIsOneEmptyParagraph) {
    QTextDocument doc;
    const std::string out = WriteRtf(doc);
    const size_t body = out.find("\\uc1\\pard");
    ASSERT_NE(body, std::string::npos) << out;
    EXPECT_EQ(out.find("\\par\r\n"), out.size() - 9) << out;  // one paragraph end, the last
    Doc back(out);
    EXPECT_EQ(back.doc.blockCount(), 1);
    EXPECT_TRUE(back.doc.isEmpty());
}
