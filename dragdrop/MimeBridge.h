#pragma once
// Clipboard formats as MIME types, and data objects carried by Qt. A format with a Linux
// twin travels under the twin's MIME type; the others under
// application/x-kiv-cf;name="..." and, inside the program, through the very data object
// the source gave Qt.
#include <QMimeData>
#include <QPointer>
#include <memory>
#include <optional>

#include "dragdrop/core/DragDropTypes.h"

namespace kiv {

QString MimeNameOf(uint16_t id);
uint16_t FormatIdOfMime(const QString& mime);

// What a drag or the clipboard holds for one of our sources: every format is rendered
// when it is asked for.
class TSourceMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit TSourceMimeData(TDataObjectRef ref) : ref_(std::move(ref)) {}
    IDataObject* Object() const { return ref_ ? ref_->object : nullptr; }
    QStringList formats() const override;
    bool hasFormat(const QString& mime) const override { return formats().contains(mime); }

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override;

private:
    TDataObjectRef ref_;
};

// Every readable format of a data object, rendered now.
std::unique_ptr<QMimeData> RenderMimeData(IDataObject& data);

// A data object over what Qt delivered (a drop, the clipboard). Our own source's data is
// reached directly; another program's through its MIME types. Nothing can be written back
// to another program.
class TMimeDataObject : public IDataObject {
public:
    explicit TMimeDataObject(const QMimeData* mime) : mime_(mime) {}
    HRESULT GetData(const TFormatEtc& format, TStgMedium& medium) override;
    HRESULT QueryGetData(const TFormatEtc& format) override;
    HRESULT SetData(const TFormatEtc& format, TStgMedium& medium, bool release) override;
    HRESULT EnumFormatEtc(uint32_t direction, std::unique_ptr<IEnumFormatEtc>& out) override;

private:
    IDataObject* Own() const;
    bool Bytes(const TFormatEtc& format, QByteArray* bytes) const;
    const QByteArray& MozURL() const;
    QPointer<const QMimeData> mime_;
    mutable std::optional<QByteArray> mozURL_;
};

}  // namespace kiv
