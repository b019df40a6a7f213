#include "dragdrop/MimeBridge.h"

#include <QBuffer>
#include <QImage>
#include <cctype>
#include <string_view>

#include "dragdrop/core/DropSource.h"

namespace kiv {

namespace {

const char* const kPrivatePrefix = "application/x-kiv-cf;name=\"";
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");
const QString kPlainText = QStringLiteral("text/plain");
// Qt's own image type; the X side of Qt offers it in the image formats X programs know.
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kMozURL = QStringLiteral("text/x-moz-url");
const QString kUriList = QStringLiteral("text/uri-list");

struct Predefined {
    uint16_t id;
    const char* name;
};
constexpr Predefined kPredefined[] = {
    {CF_TEXT, "CF_TEXT"},
    {CF_BITMAP, "CF_BITMAP"},
    {CF_METAFILEPICT, "CF_METAFILEPICT"},
    {CF_OEMTEXT, "CF_OEMTEXT"},
    {CF_DIB, "CF_DIB"},
    {CF_PALETTE, "CF_PALETTE"},
    {CF_UNICODETEXT, "CF_UNICODETEXT"},
    {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
    {CF_HDROP, "CF_HDROP"},
};

std::vector<TFormatEtc> Readable(IDataObject& data) {
    std::vector<TFormatEtc> all;
    std::unique_ptr<IEnumFormatEtc> e;
    if (data.EnumFormatEtc(DATADIR_GET, e) != S_OK || !e) return all;
    std::vector<TFormatEtc> one;
    while (e->Next(1, one, nullptr) == S_OK) all.push_back(one[0]);
    return all;
}

// The MIME types a data object offers: each format once, and plain text beside UTF-8 text,
// since X programs ask for UTF8_STRING, which Qt serves from text/plain.
QStringList MimeTypesOf(IDataObject& data, std::vector<TFormatEtc>* formats) {
    QStringList names;
    for (const TFormatEtc& f : Readable(data)) {
        const QString name = MimeNameOf(f.cfFormat);
        if (names.contains(name)) continue;
        names << name;
        if (formats) formats->push_back(f);
        if (name == kUtf8Text && !names.contains(kPlainText)) {
            names << kPlainText;
            if (formats) formats->push_back(f);
        }
    }
    return names;
}

QByteArray Render(IDataObject& data, TFormatEtc f) {
    f.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
    TStgMedium m;
    if (data.GetData(f, m) != S_OK) return {};
    return QByteArray(m.data.data(), qsizetype(m.data.size()));
}

// "type/subtype" and parameters, as the Linux twins are named; Windows names such as
// "Internet Message (rfc822/rfc1522)" have blanks and brackets a MIME type cannot have.
bool IsMimeType(const std::string& name) {
    if (name == "_NETSCAPE_URL") return true;  // an X target name that browsers use as a type
    const std::string head = name.substr(0, name.find(';'));
    const size_t slash = head.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == head.size() ||
        head.find('/', slash + 1) != std::string::npos)
        return false;
    for (char c : head)
        if (!std::isalnum(static_cast<unsigned char>(c)) &&
            std::string_view("!#$&^_.+-/").find(c) == std::string_view::npos)
            return false;
    return true;
}

}  // namespace

QString MimeNameOf(uint16_t id) {
    std::string name = ClipboardFormatNameOf(id);
    if (IsMimeType(name)) return QString::fromStdString(name);
    if (name.empty())
        for (const auto& p : kPredefined)
            if (p.id == id) name = p.name;
    if (name.empty()) name = std::to_string(id);
    return QString::fromLatin1(kPrivatePrefix) + QString::fromStdString(name) + '"';
}

uint16_t FormatIdOfMime(const QString& mime) {
    if (mime == kPlainText) return RegisterClipboardFormat(kUtf8Text.toStdString());
    const QString prefix = QString::fromLatin1(kPrivatePrefix);
    if (!mime.startsWith(prefix) || !mime.endsWith('"'))
        return RegisterClipboardFormat(mime.toStdString());
    const std::string name = mime.mid(prefix.size(), mime.size() - prefix.size() - 1).toStdString();
    for (const auto& p : kPredefined)
        if (name == p.name) return p.id;
    return RegisterClipboardFormat(name);
}

QStringList TSourceMimeData::formats() const {
    IDataObject* o = Object();
    return o ? MimeTypesOf(*o, nullptr) : QStringList();
}

QVariant TSourceMimeData::retrieveData(const QString& mime, QMetaType) const {
    IDataObject* o = Object();
    if (!o) return {};
    std::vector<TFormatEtc> formats;
    const QStringList names = MimeTypesOf(*o, &formats);
    const qsizetype i = names.indexOf(mime);
    if (i < 0) return {};
    const QByteArray bytes = Render(*o, formats[size_t(i)]);
    if (mime == kQtImage) return QImage::fromData(bytes, "BMP");
    return bytes;
}

std::unique_ptr<QMimeData> RenderMimeData(IDataObject& data) {
    auto mime = std::make_unique<QMimeData>();
    std::vector<TFormatEtc> formats;
    const QStringList names = MimeTypesOf(data, &formats);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray bytes = Render(data, formats[size_t(i)]);
        if (names[i] == kQtImage) mime->setImageData(QImage::fromData(bytes, "BMP"));
        else mime->setData(names[i], bytes);
    }
    return mime;
}

// Qt's X11 side lists another program's text/x-moz-url (a link with its title, as browsers
// send it) under text/uri-list, yet gives it when it is asked for by its own name.
const QByteArray& TMimeDataObject::MozURL() const {
    if (!mozURL_) {
        mozURL_.emplace();
        if (mime_ && !Own() && !mime_->hasFormat(kMozURL) && mime_->hasFormat(kUriList))
            *mozURL_ = mime_->data(kMozURL);
    }
    return *mozURL_;
}

IDataObject* TMimeDataObject::Own() const {
    auto* s = qobject_cast<const TSourceMimeData*>(mime_.data());
    return s ? s->Object() : nullptr;
}

bool TMimeDataObject::Bytes(const TFormatEtc& format, QByteArray* bytes) const {
    if (!mime_ || !(format.tymed & (TYMED_HGLOBAL | TYMED_ISTREAM)) || format.lindex > 0)
        return false;
    const QString name = MimeNameOf(format.cfFormat);
    if (name == kQtImage) {
        if (!mime_->hasImage()) return false;
        if (bytes) {
            const QImage image = qvariant_cast<QImage>(mime_->imageData());
            QBuffer buffer(bytes);
            buffer.open(QIODevice::WriteOnly);
            if (!image.save(&buffer, "BMP")) return false;
        }
        return true;
    }
    if (mime_->hasFormat(name)) {
        if (bytes) *bytes = mime_->data(name);
        return true;
    }
    if (name == kMozURL && !MozURL().isEmpty()) {
        if (bytes) *bytes = MozURL();
        return true;
    }
    // Other programs' text comes as text/plain or as X strings; Qt knows their encodings.
    if (name == kUtf8Text && mime_->hasFormat(kPlainText)) {
        if (bytes) *bytes = mime_->text().toUtf8();
        return true;
    }
    return false;
}

HRESULT TMimeDataObject::GetData(const TFormatEtc& format, TStgMedium& medium) {
    if (IDataObject* own = Own()) return own->GetData(format, medium);
    medium = TStgMedium{};
    QByteArray bytes;
    if (!Bytes(format, &bytes)) return DV_E_FORMATETC;
    medium.tymed = (format.tymed & TYMED_HGLOBAL) ? TYMED_HGLOBAL : TYMED_ISTREAM;
    medium.data.assign(bytes.constData(), size_t(bytes.size()));
    return S_OK;
}

HRESULT TMimeDataObject::QueryGetData(const TFormatEtc& format) {
    if (IDataObject* own = Own()) return own->QueryGetData(format);
    return Bytes(format, nullptr) ? S_OK : DV_E_FORMATETC;
}

HRESULT TMimeDataObject::SetData(const TFormatEtc& format, TStgMedium& medium, bool release) {
    if (IDataObject* own = Own()) return own->SetData(format, medium, release);
    if (release) ReleaseStgMedium(medium);
    return E_NOTIMPL;
}

HRESULT TMimeDataObject::EnumFormatEtc(uint32_t direction, std::unique_ptr<IEnumFormatEtc>& out) {
    if (IDataObject* own = Own()) return own->EnumFormatEtc(direction, out);
    if (direction != DATADIR_GET || !mime_) return E_NOTIMPL;
    std::vector<TFormatEtc> formats;
    auto add = [&formats](const QString& name) {
        TFormatEtc f;
        f.cfFormat = FormatIdOfMime(name);
        f.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
        if (std::find(formats.begin(), formats.end(), f) == formats.end()) formats.push_back(f);
    };
    for (const QString& name : mime_->formats()) {
        // The link with its title is read before the bare address.
        if (name == kUriList && !MozURL().isEmpty()) add(kMozURL);
        add(name);
    }
    out = std::make_unique<TEnumFormatEtc>(std::move(formats));
    return S_OK;
}

}  // namespace kiv
