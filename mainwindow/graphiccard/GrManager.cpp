// The graphic card's images: one row each, measured when added, decoded at once or off the
// GUI thread when large.
#include "mainwindow/graphiccard/GrManager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>
#include <algorithm>

#include "mainwindow/graphiccard/ImageFiles.h"
#include "platform/core/AppPaths.h"
#include "platform/qt/Grids.h"

namespace kiv {

TGrManager::TGrManager(TStringGrid* grid) : grid_(grid) {
    pool_.setMaxThreadCount(2);
    // A format without scaled decoding (BMP, GIF) is read whole before it is scaled: a
    // 40-megapixel picture needs 160 MB for a moment, on a worker thread.
    if (QImageReader::allocationLimit() > 0 &&
        QImageReader::allocationLimit() < kDecodeAllocationLimitMB)
        QImageReader::setAllocationLimit(kDecodeAllocationLimitMB);
}

TGrManager::~TGrManager() {
    pool_.clear();
    pool_.waitForDone();
}

bool TGrManager::AddImage(const QString& file, const std::string& storedLine) {
    const QString path =
        file.startsWith(QLatin1String("||"))
            ? ResolveStoredImagePath(file.toStdString(), QString::fromStdString(AppDir()))
            : file;
    if (!IsGraphicFileName(path)) return false;
    TGrImage img;
    img.FileName = path;
    img.StoredLine = storedLine;
    img.Serial = nextSerial_++;
    const QFileInfo info(path);
    QSize real;
    if (info.isFile() && IsMetafileName(path)) {
        real = MetafileStatedSize(path);
        if (real.isValid()) {
            img.Size = real;
            img.Picture = PlaceholderImage(ShownSize(real), info.suffix().toUpper());
        }
    } else if (info.isFile()) {
        QImageReader probe(path);
        probe.setDecideFormatFromContent(true);
        real = probe.size();
        const QSize shown = ShownSize(real);
        if (real.isValid() && qint64(real.width()) * real.height() > kBackgroundDecodePixels) {
            // Its row is laid out now; the picture follows when decoded.
            img.Size = real;
            img.Pending = true;
            img.Picture = PlaceholderImage(shown, QString());
            const int serial = img.Serial;
            pool_.start([this, path, shown, serial] {
                QImage picture = DecodeImage(path, shown);
                QMetaObject::invokeMethod(
                    this, [this, serial, picture] { Decoded(serial, picture); },
                    Qt::QueuedConnection);
            });
        } else {
            img.Picture = DecodeImage(path, shown);
            img.Size = real.isValid() ? real : img.Picture.size();
        }
    }
    if (img.Picture.isNull()) {
        img.Missing = true;
        img.Picture = NoGrFileImage();
        img.Size = img.Picture.size();
    }
    images_.push_back(std::move(img));
    grid_->SetRowCount(std::max(1, ImageCount()));
    RefreshImageRowHeights(ImageCount() - 1);
    modified_ = true;
    if (ImageCount() == 1 && OnFirstImage) OnFirstImage();
    return true;
}

void TGrManager::Decoded(int serial, const QImage& picture) {
    auto it = std::find_if(images_.begin(), images_.end(),
                           [serial](const TGrImage& i) { return i.Serial == serial; });
    if (it == images_.end()) return;  // deleted or cleared meanwhile
    it->Pending = false;
    if (picture.isNull()) {
        it->Missing = true;
        it->Picture = NoGrFileImage();
        it->Size = it->Picture.size();
        RefreshImageRowHeights(int(it - images_.begin()));
    } else {
        it->Picture = picture;
    }
    grid_->Invalidate();
}

bool TGrManager::Decoding() const {
    return std::any_of(images_.begin(), images_.end(), [](const TGrImage& i) { return i.Pending; });
}

void TGrManager::FinishDecoding() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void TGrManager::DeleteImage(int i) {
    if (i < 0 || i >= ImageCount()) return;
    images_.erase(images_.begin() + i);
    selected_ = -1;
    grid_->SetRowCount(std::max(1, ImageCount()));
    RefreshImageRowHeights(i);
    modified_ = true;
    grid_->Invalidate();
}

void TGrManager::ClearImages() {
    images_.clear();
    grid_->SetRowCount(1);
    grid_->SetRowHeights(0, grid_->DefaultRowHeight());
    selected_ = -1;
    modified_ = true;
    grid_->Invalidate();
}

const TGrImage* TGrManager::GetImage(int i) const {
    return i >= 0 && i < ImageCount() ? &images_[size_t(i)] : nullptr;
}

QString TGrManager::GetImageFileName(int i) const {
    const TGrImage* img = GetImage(i);
    return img ? img->FileName : QString();
}

void TGrManager::SetSelectedImage(int i) {
    selected_ = i >= 0 && i < ImageCount() ? i : -1;
    if (selected_ >= 0 && grid_->Row() != selected_) grid_->SetRow(selected_);
    grid_->Invalidate();
}

void TGrManager::RefreshImageRowHeights(int from) {
    for (int r = std::max(0, from); r < ImageCount(); ++r)
        grid_->SetRowHeights(r, images_[size_t(r)].Picture.height() + kRowExtra);
    FitColumn();
}

void TGrManager::FitColumn() {
    int widest = 0;
    for (const TGrImage& i : images_)
        widest = std::max(widest, i.Picture.width() + kImageLeft + kRowExtra);
    grid_->SetColWidths(0, std::max(widest, grid_->ClientWidth()));
}

}  // namespace kiv
