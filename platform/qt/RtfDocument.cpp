#include "platform/qt/RtfDocument.h"

#include <QAtomicInt>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextList>
#include <QUrl>
#include <algorithm>

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/RtfPicture.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/Fonts.h"

namespace kiv {

namespace {

QAtomicInt gResourceCounter;

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

// A Windows DIB is a BMP file without its 14-byte file header.
QImage DibImage(const std::string& dib) {
    if (dib.size() < 40) return {};
    const auto* p = reinterpret_cast<const unsigned char*>(dib.data());
    const uint32_t headerSize = GetU32(p);
    if (headerSize < 12 || headerSize > dib.size()) return {};
    uint32_t bitCount = 0, colorsUsed = 0, compression = 0;
    if (headerSize == 12) {
        bitCount = GetU16(p + 10);
    } else {
        bitCount = GetU16(p + 14);
        compression = GetU32(p + 16);
        colorsUsed = GetU32(p + 32);
    }
    uint64_t palette = 0;
    if (bitCount <= 8)
        palette = uint64_t(colorsUsed ? colorsUsed : (1u << bitCount)) * (headerSize == 12 ? 3 : 4);
    if (compression == 3 && headerSize == 40) palette += 12;  // BI_BITFIELDS masks
    const uint64_t offset = 14 + uint64_t(headerSize) + palette;
    if (offset > 14 + dib.size()) return {};
    std::string bmp = "BM";
    AppendU32(bmp, uint32_t(14 + dib.size()));
    AppendU32(bmp, 0);
    AppendU32(bmp, uint32_t(offset));
    bmp += dib;
    QImage img;
    img.loadFromData(Bytes(bmp), "BMP");
    return img;
}

QImage PictureImage(const RtfPicture& p) {
    QImage img;
    switch (p.type) {
    case RtfPictureType::Png: img.loadFromData(Bytes(p.data), "PNG"); break;
    case RtfPictureType::Jpeg: img.loadFromData(Bytes(p.data), "JPEG"); break;
    case RtfPictureType::Dib: img = DibImage(p.data); break;
    default: break;  // metafiles and device bitmaps are shown as placeholders
    }
    return img;
}

// A grey box for what we cannot draw; the format scales it to the picture's size.
QImage Placeholder() {
    constexpr int kSide = 32;
    QImage img(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0xE8, 0xE8, 0xE8));
    QPainter painter(&img);
    painter.setPen(QColor(0x90, 0x90, 0x90));
    painter.drawRect(0, 0, kSide - 1, kSide - 1);
    painter.drawLine(0, 0, kSide - 1, kSide - 1);
    painter.drawLine(0, kSide - 1, kSide - 1, 0);
    return img;
}

Qt::Alignment AlignmentOf(RtfAlign a) {
    switch (a) {
    case RtfAlign::Center: return Qt::AlignHCenter;
    case RtfAlign::Right: return Qt::AlignRight;
    case RtfAlign::Justify: return Qt::AlignJustify;
    case RtfAlign::Left: break;
    }
    return Qt::AlignLeft;
}

QTextListFormat::Style StyleOf(RtfListKind k) {
    switch (k) {
    case RtfListKind::Decimal: return QTextListFormat::ListDecimal;
    case RtfListKind::LowerAlpha: return QTextListFormat::ListLowerAlpha;
    case RtfListKind::UpperAlpha: return QTextListFormat::ListUpperAlpha;
    case RtfListKind::LowerRoman: return QTextListFormat::ListLowerRoman;
    case RtfListKind::UpperRoman: return QTextListFormat::ListUpperRoman;
    default: break;
    }
    return QTextListFormat::ListDisc;
}

class DocumentBuilder : public RtfHandler {
public:
    DocumentBuilder(QTextCursor& cursor, const RtfReader& reader)
        : cursor_(cursor), reader_(reader) {}

    void OnText(std::string_view utf8, const RtfCharFormat& format) override {
        Separate();
        cursor_.insertText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())),
                           CharFormat(format));
    }

    void OnLineBreak(const RtfCharFormat& format) override {
        Separate();
        cursor_.insertText(QString(QChar::LineSeparator), CharFormat(format));
    }

    void OnParagraphEnd(const RtfParaFormat& para, const RtfCharFormat& mark) override {
        Separate();
        QTextBlockFormat b;
        b.setAlignment(AlignmentOf(para.align));
        b.setLeftMargin(para.leftIndent / kTwipsPerPixel);
        b.setRightMargin(para.rightIndent / kTwipsPerPixel);
        b.setTopMargin(para.spaceBefore / kTwipsPerPixel);
        b.setBottomMargin(para.spaceAfter / kTwipsPerPixel);
        const bool inList = para.list.kind != RtfListKind::None;
        if (inList) {
            b.setTextIndent(0);
            b.setProperty(RtfListFirstIndentProperty, para.firstIndent);
        } else {
            b.setTextIndent(para.firstIndent / kTwipsPerPixel);
        }
        cursor_.setBlockFormat(b);
        cursor_.setBlockCharFormat(CharFormat(mark));
        if (inList) {
            if (list_ && lastWasList_ && listKey_ == para.list) {
                list_->add(cursor_.block());
            } else {
                QTextListFormat lf;
                lf.setStyle(StyleOf(para.list.kind));
                lf.setIndent(0);
                if (para.list.kind != RtfListKind::Bullet) {
                    lf.setNumberPrefix(QString::fromUtf8(para.list.textBefore.data(),
                                                         qsizetype(para.list.textBefore.size())));
                    lf.setNumberSuffix(QString::fromUtf8(para.list.textAfter.data(),
                                                         qsizetype(para.list.textAfter.size())));
                    lf.setProperty(RtfListStartProperty, para.list.start);
                }
                list_ = cursor_.createList(lf);
                listKey_ = para.list;
            }
        }
        lastWasList_ = inList;
        pending_ = true;
    }

    void OnGroup(RtfGroupKind kind, std::string_view source, const RtfCharFormat& format) override {
        Separate();
        QImage img;
        int32_t tw = 0, th = 0;
        if (kind == RtfGroupKind::Picture) {
            RtfPicture p;
            if (ReadPictureGroup(source, p)) {
                img = PictureImage(p);
                RtfPictureSizeTwips(p, tw, th);
            }
        } else {
            RtfObject o;
            if (ReadObjectGroup(source, o)) {
                if (o.hasPicture) {
                    img = PictureImage(o.picture);
                    RtfPictureSizeTwips(o.picture, tw, th);
                }
                if (o.width > 0 && o.height > 0) {
                    tw = o.width;
                    th = o.height;
                }
            }
        }
        int w = tw > 0 ? int(tw / kTwipsPerPixel + 0.5) : img.width();
        int h = th > 0 ? int(th / kTwipsPerPixel + 0.5) : img.height();
        if (w <= 0 || h <= 0) w = h = 32;
        if (img.isNull()) img = Placeholder();
        const QString name =
            QStringLiteral("kiv-rtf-object:%1").arg(gResourceCounter.fetchAndAddRelaxed(1) + 1);
        cursor_.document()->addResource(QTextDocument::ImageResource, QUrl(name), img);
        QTextImageFormat f;
        f.merge(CharFormat(format));
        f.setName(name);
        f.setWidth(w);
        f.setHeight(h);
        f.setProperty(RtfRawGroupProperty, QByteArray(source.data(), qsizetype(source.size())));
        f.setProperty(RtfGroupKindProperty, int(kind));
        cursor_.insertImage(f);
    }

private:
    // A paragraph ended: the next content goes into a new block. The last paragraph's end
    // is the document's own end and makes no empty block.
    void Separate() {
        if (!pending_) return;
        pending_ = false;
        cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }

    QTextCharFormat CharFormat(const RtfCharFormat& f) {
        if (haveCache_ && f == cacheKey_) return cache_;
        QTextCharFormat q;
        if (const RtfFont* font = reader_.FontOf(f); font && !font->name.empty()) {
            SetStoredFontName(q,
                              QString::fromUtf8(font->name.data(), qsizetype(font->name.size())));
            if (font->charset >= 0) q.setProperty(RtfFontCharsetProperty, font->charset);
            q.setProperty(RtfFontFamilyProperty, QString::fromStdString(font->family));
        }
        q.setFontPointSize(f.halfPoints / 2.0);
        q.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
        q.setFontItalic(f.italic);
        q.setFontUnderline(f.underline);
        q.setFontStrikeOut(f.strike);
        const RtfColor c = reader_.ColorAt(f.color);
        if (!c.automatic) q.setForeground(QColor(c.red, c.green, c.blue));
        cache_ = q;
        cacheKey_ = f;
        haveCache_ = true;
        return q;
    }

    QTextCursor& cursor_;
    const RtfReader& reader_;
    bool pending_ = false;
    QTextList* list_ = nullptr;
    RtfListFormat listKey_;
    bool lastWasList_ = false;
    bool haveCache_ = false;
    RtfCharFormat cacheKey_;
    QTextCharFormat cache_;
};

void InsertPlain(QTextCursor& cursor, std::string_view stored, const QTextCharFormat& format) {
    const std::string text = RtfToPlainText(stored, RtfLineEnd::Lf);
    const QTextCharFormat f = format.isEmpty() ? cursor.charFormat() : format;
    cursor.insertText(QString::fromUtf8(text.data(), qsizetype(text.size())), f);
}

}  // namespace

QString StoredFontName(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

void SetStoredFontName(QTextCharFormat& format, const QString& name) {
    const QString drawn = SubstituteFontName(name);
    if (drawn.isEmpty() || drawn.compare(name, Qt::CaseInsensitive) == 0)
        format.setFontFamilies({name});
    else format.setFontFamilies({name, drawn});
}

void InsertRichText(QTextCursor& cursor, std::string_view stored,
                    const QTextCharFormat& plainFormat) {
    if (!IsRtf(stored)) {
        InsertPlain(cursor, stored, plainFormat);
        return;
    }
    RtfReader reader;
    DocumentBuilder builder(cursor, reader);
    cursor.beginEditBlock();
    reader.Read(stored, builder);
    cursor.endEditBlock();
}

void LoadRichText(QTextDocument& doc, std::string_view stored, const QTextCharFormat& plainFormat) {
    // A loaded card is where undo starts: it never takes the text back to the last card.
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextCursor cursor(&doc);
    if (!IsRtf(stored)) {
        if (!plainFormat.isEmpty()) {
            cursor.setBlockCharFormat(plainFormat);
            cursor.setCharFormat(plainFormat);
        }
        InsertPlain(cursor, stored, plainFormat);
    } else {
        InsertRichText(cursor, stored, plainFormat);
    }
    doc.setUndoRedoEnabled(undo);
}

}  // namespace kiv
