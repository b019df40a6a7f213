// The window's one drop target for other programs' text, files and web addresses. Kept
// apart from the outline panels' headers: the drop target's key state is its own type.
#include <QString>

#include "dragdrop/ComboTarget.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/drops/Drops.h"

namespace kiv {

TDrops::TDrops(IWindowContext& ctx)
    : ctx_(ctx),
      panels_(ctx.Published()),
      launch_(ctx.Published()),
      graphic_(ctx.Published()),
      fileCommands_(ctx.Published()),
      hoist_(ctx.Published()),
      textBin_(ctx.Published()),
      resourceBin_(ctx.Published()) {
    ctx.Published().Publish<IDrops>(*this);
}

TDrops::~TDrops() = default;

void TDrops::BuildDropComTag(const std::vector<QWidget*>& controls) {
    DropComTag = std::make_unique<TDropComboTarget>();
    TDropComboTarget& t = *DropComTag;
    t.setObjectName(QStringLiteral("DropComTag"));
    t.Dragtypes = DragTypeBit(dtCopy) | DragTypeBit(dtLink);
    t.GetDataOnEnter = true;
    t.SetShowImage(true);
    t.MultiTarget = true;
    t.OptimizedMove = true;
    t.AllowAsyncTransfer = false;
    t.Formats = ComboBit(mfText) | ComboBit(mfFile) | ComboBit(mfURL);
    t.OnEnter = [this](TCustomDropTarget* s, TShiftState, QPoint, uint32_t& e) {
        DropComTagEnter(s->Target(), e);
    };
    t.OnLeave = [this](TCustomDropTarget* s) { DropComTagLeave(s->Target()); };
    t.OnDrop = [this](TCustomDropTarget* s, TShiftState, QPoint p, uint32_t& e) {
        DropComTagDrop(s->Target(), p, e);
    };
    for (QWidget* w : controls) t.AddTargetControl(w);
}

static_assert(TDrops::kNoDropEffect == DROPEFFECT_NONE);

void TDrops::AddDropTarget(QWidget* control) { DropComTag->AddTargetControl(control); }

void TDrops::SetDragImage(bool on) { DropComTag->SetShowImage(on); }

bool TDrops::DragImageShown() const { return DropComTag->ShowImage(); }

TDropContent TDrops::DropComTagContent() const {
    // The desktop gives UTF-8; topics keep the stored form.
    auto stored = [](const std::string& s) {
        return TextToStored(QString::fromUtf8(s.data(), qsizetype(s.size())));
    };
    const TDropComboTarget& t = *DropComTag;
    TDropContent c;
    // A path is the name's own bytes, whatever encoding the folder's names have: a name
    // read as text would name another file (or none).
    c.Files = t.Files();
    c.Text = stored(t.Text());
    c.URL = stored(t.URL());
    c.Title = stored(t.Title());
    return c;
}

}  // namespace kiv
