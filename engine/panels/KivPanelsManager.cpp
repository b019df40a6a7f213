// The panels manager, the cascade of panels and the link classification helpers.
#include "engine/panels/KivPanelsManager.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMimeDatabase>
#include <QWidget>
#include <algorithm>
#include <fstream>
#include <memory>
#include <sys/stat.h>

#include "engine/core/NesterError.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/Fonts.h"

// The panels' images live in a static library: their resource must be registered by hand.
static void InitPanelsResources() { Q_INIT_RESOURCE(panels); }

namespace kiv {

int CurrentPanel = 1;
int PanelCount = 3;

namespace {
std::unique_ptr<TKivPanelsManager> gManager;

QPixmap LoadBitmap(const char* name) {
    QPixmap p(QString(":/panels/") + name);
    if (p.isNull()) throw EKivError(std::string("Bitmap resource not found: ") + name);
    return p;
}

// Octal escapes of /proc/self/mounts ("\040" for a blank).
std::string UnescapeMountField(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string oct = s.substr(i + 1, 3);
            if (oct.size() == 3 &&
                std::all_of(oct.begin(), oct.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += char((oct[0] - '0') * 64 + (oct[1] - '0') * 8 + (oct[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}
}  // namespace

// ---- life ----

TKivPanelsManager::TKivPanelsManager() {
    InitPanelsResources();
    LinksBitmap = LoadBitmap("links");
    ClipBitmap = LoadBitmap("clip1");
    CloneBitmap = LoadBitmap("ClonePointer");
    TextBitmap = LoadBitmap("TextBMP");

    // Index 0 is the icon of a file of no known type, as the system list began with one.
    AddIcon(QString(), QFileIconProvider().icon(QFileIconProvider::File));

    // The web-page icon: asked for an empty page made in our private folder.
    const std::string temp = GetTempPathWithBackslash();
    if (!temp.empty()) {
        const std::string probe = temp + "kiv_htm.htm";
        { std::ofstream f(probe, std::ios::binary | std::ios::trunc); }
        if (FileExists(probe)) {
            const int i = SystemIconIndex(probe);
            if (i > 0) HtmIconIndex = i;
            RemoveFile(probe);
        }
    }
    FormActive = true;
    ApplySchemeFont();
}

TKivPanelsManager::~TKivPanelsManager() {
    // Panels that outlive the manager must not call back into it.
    Panels.clear();
}

TKivPanelsManager& PanelsManager() {
    if (!gManager) throw EKivError("The panels manager was not created");
    return *gManager;
}

bool PanelsManagerExists() { return gManager != nullptr; }

TKivPanelsManager& CreatePanelsManager() {
    gManager.reset();
    CurrentPanel = 1;
    PanelCount = 3;
    gManager = std::make_unique<TKivPanelsManager>();
    return *gManager;
}

void FreePanelsManager() { gManager.reset(); }

// ---- panels ----

void TKivPanelsManager::AddPanel(TKivStringGrid* grid) {
    if (std::find(Panels.begin(), Panels.end(), grid) == Panels.end()) Panels.push_back(grid);
    grid->Nester->SetNestFile(NestFile);
    grid->Nester->SetCardFile(CardFile);
}

void TKivPanelsManager::RemovePanel(TKivStringGrid* grid) {
    Panels.erase(std::remove(Panels.begin(), Panels.end(), grid), Panels.end());
}

TKivStringGrid* TKivPanelsManager::PanelByNumber(int n) const {
    for (TKivStringGrid* g : Panels)
        if (g->Tag == n) return g;
    return nullptr;
}

void TKivPanelsManager::RefreshPanelsFrom(int k) {
    for (int n = k + 1; n <= PanelCount; ++n) {
        TKivStringGrid* p = PanelByNumber(n);
        TKivStringGrid* q = PanelByNumber(n - 1);
        if (!p) continue;
        // Its topics give way to those of the new parent: a caption that could not be stored
        // has been told (leaving the panel stored it, so this is seldom more than a no-op).
        const bool stored = p->StoreEditedCaption();
        p->CaptionEditor->resize(p->CaptionEditor->width(), 0);
        // A refused caption was told as kept in the editor: it stays there.
        if (p->Editing() && stored) p->CaptionEditor->SetText(QString());
        p->ExternalPath.clear();
        if (!q || q->Nester->RowCount() == 0) {
            p->Nester->Clear();
            p->Nester->RootNest = 0;
            p->SetRowCount(0);
            p->ResetRowHeight(0);
        } else {
            p->Nester->RootNest = uint32_t(q->Nester->ChildNest(q->CurrentRow()));
            p->Nester->LoadBranch(-1, false);
            if (!ExpandAll) p->SetExpandAll(false);
            if (p->Nester->RowCount() == 0) {
                p->SetRowCount(0);
                p->ResetRowHeight(0);
                if (int32_t(p->Nester->RootNest) == -1) {
                    std::string external;
                    q->Nester->Cards().ReadRowCard(kCardExternal, q->CurrentRow(), external);
                    p->ExternalPath = ResolveStoredPath(external, p->BaseFolder);
                }
            } else {
                p->SetRowCount(p->Nester->RowCount());
                p->UpdateRowHeights(0);
            }
        }
        p->SelectRow(0);
        p->DrawRow(p->CurrentRow());
        p->Invalidate();
    }
}

// ---- settings of all panels ----

void TKivPanelsManager::SetEditMode(bool on) {
    EditMode = on;
    std::vector<TKivStringGrid*> byNumber = Panels;
    std::stable_sort(byNumber.begin(), byNumber.end(),
                     [](const TKivStringGrid* a, const TKivStringGrid* b) {
                         return a->Tag < b->Tag;
                     });
    for (TKivStringGrid* g : byNumber) {
        g->SetEditing(on);
        if (on)
            for (int r = 0; r < g->Nester->RowCount(); ++r)
                if (g->Nester->HasHeightBox(r)) g->DrawRow(r);
    }
    if (on) {
        if (OnEditModeOn) OnEditModeOn(this);
    } else if (OnEditModeOff) {
        OnEditModeOff(this);
    }
}

void TKivPanelsManager::SetNestFile(BlockFile* f) {
    NestFile = f;
    for (TKivStringGrid* g : Panels) g->Nester->SetNestFile(f);
}

void TKivPanelsManager::SetCardFile(BlockFile* f) {
    CardFile = f;
    DBCards.SetCardFile(f);
    Cards.SetCardFile(f);
    for (TKivStringGrid* g : Panels) g->Nester->SetCardFile(f);
}

void TKivPanelsManager::SetDatastructurePath(const std::string& path) {
    DatastructurePath = path;
    pathUpper_ = UpperCase(path);
}

void TKivPanelsManager::SetExpandAll(bool on) {
    ExpandAll = on;
    for (TKivStringGrid* g : Panels) g->SetExpandAll(on);
}

void TKivPanelsManager::SetTreeMode(bool on) {
    TreeMode = on;
    for (TKivStringGrid* g : Panels) g->TreeMode = on;
}

void TKivPanelsManager::SetTextOnly(bool on) {
    TextOnly = on;
    for (TKivStringGrid* g : Panels) g->SetTextOnly(on);
}

int MeasureSchemeLineHeight(const std::string& fontName, int pointSize, QWidget* window) {
    QFont f = FontFromStored(QString::fromStdString(fontName), pointSize);
    if (window) f.setStyleStrategy(window->font().styleStrategy());
    return QFontMetrics(f, window).height();
}

int TKivPanelsManager::MeasureLineHeight(QWidget* window) const {
    return MeasureSchemeLineHeight(ColorScheme.FontName, ColorScheme.FontSize, window);
}

void TKivPanelsManager::ApplySchemeFont() {
    LineHeight = MeasureLineHeight(Panels.empty() ? nullptr : Panels.front());
    for (TKivStringGrid* g : Panels) g->SchemeFontChanged();
}

// ---- icons ----

int TKivPanelsManager::AddIcon(const QString& key, const QIcon& icon) {
    const auto it = iconIndex_.find(key);
    if (it != iconIndex_.end()) return it->second;
    icons_.push_back(icon);
    const int i = int(icons_.size()) - 1;
    iconIndex_[key] = i;
    return i;
}

int TKivPanelsManager::SystemIconIndex(const std::string& path) {
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    if (!info.exists()) return -1;
    if (const auto known = pathIcon_.find(path); known != pathIcon_.end()) return known->second;
    if (pathIcon_.size() > 4096) pathIcon_.clear();
    // Folders and executables have their own icons; other files share their type's.
    QString key;
    if (info.isDir()) key = "inode/directory";
    else key = QMimeDatabase().mimeTypeForFile(info).name();
    const auto it = iconIndex_.find(key);
    const int i =
        it != iconIndex_.end() ? it->second : AddIcon(key, QFileIconProvider().icon(info));
    pathIcon_[path] = i;
    return i;
}

QPixmap TKivPanelsManager::SystemSmallIcon(int i) const {
    if (i < 0 || i >= int(icons_.size()) || icons_[size_t(i)].isNull()) return QPixmap();
    return icons_[size_t(i)].pixmap(16, 16);
}

int TKivPanelsManager::LinkIconIndex(const std::string& target) {
    if (HtmIconIndex > 0 && IsURLText(target)) return HtmIconIndex;
    if (target.empty() || IsOnOpticalDisc(target)) return -1;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return -1;
    return SystemIconIndex(target);
}

// ---- link classification ----

bool IsDocumentFile(std::string_view path) {
    const std::string ext = UpperCase(PathExtension(path));
    static const char* const kTypes[] = {".DOC", ".PDF",  ".XLS",   ".RTF", ".PPT", ".TXT", ".CSV",
                                         ".HTM", ".HTML", ".SHTML", ".GIF", ".JPG", ".JPEG"};
    for (const char* t : kTypes)
        if (ext == t) return true;
    return path.substr(0, 3) == "::{";
}

std::string GetTempPathWithBackslash() {
    std::string t = TempDir();
    if (t.size() > 512) t.resize(512);
    t = Trim(t);
    if (t.empty()) return t;
    if (t.back() != '/') t += '/';
    return t;
}

bool IsOnOpticalDisc(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    std::ifstream mounts("/proc/self/mounts");
    std::string device, mountPoint, type, rest;
    size_t best = 0;
    bool optical = false;
    while (mounts >> device >> mountPoint >> type) {
        std::getline(mounts, rest);
        const std::string mp = UnescapeMountField(mountPoint);
        const bool under =
            mp == "/" || path == mp ||
            (path.rfind(mp, 0) == 0 && path.size() > mp.size() && path[mp.size()] == '/');
        if (under && mp.size() >= best) {
            best = mp.size();
            optical = type == "iso9660" || type == "udf";
        }
    }
    return optical;
}

}  // namespace kiv
