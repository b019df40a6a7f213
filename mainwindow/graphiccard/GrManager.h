#pragma once
// The images of the graphic card and their file names, one grid row each: added, deleted,
// selected and measured here; the grid draws them. A picture too large to decode at once
// is decoded off the GUI thread and drawn when it is ready; its row has its size already.
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

class TStringGrid;

struct TGrImage {
    QString FileName;  // the path as given, its case kept
    std::string
        StoredLine;  // the card's own line for it, written back as it stands; empty when added
    QImage Picture;  // as drawn (scaled into the shown box when large)
    QSize Size;      // the picture's own size in pixels
    bool Missing = false;  // the file is missing or unreadable: the "NoGrFile" picture
    bool Pending = false;  // still decoding
    int Serial = 0;
};

class TGrManager : public QObject {
    Q_OBJECT
public:
    explicit TGrManager(TStringGrid* grid);
    ~TGrManager() override;

    // Adds the file when its extension is one of the card's (the path may be "||"-relative);
    // false when it was refused. StoredLine: the card line it was read from, if any.
    bool AddImage(const QString& file, const std::string& storedLine = std::string());
    void DeleteImage(int i);
    void ClearImages();

    int ImageCount() const { return int(images_.size()); }
    // Null outside 0..count-1.
    const TGrImage* GetImage(int i) const;
    QString GetImageFileName(int i) const;
    int Selected() const { return selected_; }
    // i outside the list selects none; the grid is repainted.
    void SetSelectedImage(int i);
    bool Modified() const { return modified_; }
    void SetModified(bool flag) { modified_ = flag; }
    // Row heights from row i on: the picture's shown height + 20.
    void RefreshImageRowHeights(int from);
    // Whether a picture is still decoding.
    bool Decoding() const;
    // Waits for the pictures being decoded and draws them (for shutting down and tests).
    void FinishDecoding();

    // The first image was added.
    std::function<void()> OnFirstImage;

    static constexpr int kImageLeft = 10;
    static constexpr int kImageTop = 10;
    static constexpr int kRowExtra = 20;
    static constexpr int kDecodeAllocationLimitMB = 512;

private:
    void Decoded(int serial, const QImage& picture);
    void FitColumn();

    TStringGrid* grid_;
    std::vector<TGrImage> images_;
    int selected_ = -1;
    bool modified_ = false;
    int nextSerial_ = 1;
    QThreadPool pool_;
};

}  // namespace kiv
