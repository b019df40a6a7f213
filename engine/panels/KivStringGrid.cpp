// The outline panel's construction, view flags, row geometry, painting and row heights.
// The layout step (LayoutRow, ApplyLayout) decides what a row's painting decides besides
// pixels; PaintRow draws what it found.
#include "engine/panels/KivStringGrid.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <tuple>

#include "engine/panels/KivPanelsManager.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/qt/Screen.h"

namespace kiv {

TColorSchemeRec ColorScheme;

int SchemeRowLines() {
    const int n = ColorScheme.RowLines;
    return n >= 1 && n <= 3 ? n : 1;
}

namespace {
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kDocPen = 0xCECECE;

// A rectangle with exclusive right and bottom edges, as the drawing rules count.
struct WinRect {
    int l = 0, t = 0, r = 0, b = 0;
    static WinRect Of(const QRect& q) {
        return {q.x(), q.y(), q.x() + q.width(), q.y() + q.height()};
    }
    QRect Q() const { return QRect(l, t, r - l, b - t); }
};

// A Windows Rectangle(): the outline on the pixels l..r-1, t..b-1, filled inside.
void DrawFrame(QPainter& p, const WinRect& b) {
    if (b.r - b.l < 1 || b.b - b.t < 1) return;
    p.drawRect(QRect(b.l, b.t, b.r - b.l - 1, b.b - b.t - 1));
}

QFont CachedFont(const std::string& name, int size, TFontStyles style) {
    static std::map<std::tuple<std::string, int, int>, QFont> cache;
    const auto key = std::make_tuple(name, size, int(style));
    auto it = cache.find(key);
    if (it == cache.end()) {
        if (cache.size() > 256) cache.clear();
        it = cache.emplace(key, FontFromStored(QString::fromStdString(name), size, style)).first;
    }
    return it->second;
}

QString FileNameOf(const std::string& path) {
    const size_t sep = path.find_last_of("/\\");
    const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    return QString::fromUtf8(LegacyText::Decode(name));
}

// The caption as one paragraph: its "\n" breaks become line separators (same length).
QString AsParagraph(QString text) {
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}
}  // namespace

// ---- life ----

TKivStringGrid::TKivStringGrid(QWidget* parent) : TStringGrid(parent) {
    BaseFolder = AppDir();
    SetFixedCols(0);
    SetFixedRows(0);
    SetColCount(1);
    SetRowCount(1);
    SetOptions(TGridOptions());
    SetDefaultDrawing(false);
    SetScrollBars(ssVertical);
    SetColor(ColorScheme.RowColor);
    Nester = std::make_unique<TNester>();
    Nester->OnChange = [this](TNester*) { RowsChanged(0); };
    Nester->SetCurrentRow(0);
    CaptionEditor = new TKivMemo(this);
    CaptionEditor->SetColor(0xE4E2FD);
    CaptionEditor->SetSchemeFont(QString::fromStdString(ColorScheme.FontName),
                                 ColorScheme.FontSize);
    CaptionEditor->SetLinePitch(PanelsManager().LineHeight);
    CaptionEditor->OnKeyDown = [this](TKivMemo*, Word& Key, TShiftState Shift) {
        EditorKeyDown(Key, Shift);
    };
    CaptionEditor->OnKeyPress = [this](TKivMemo*, QChar& Key) { EditorKeyPress(Key); };
    CaptionEditor->OnKeyUp = [this](TKivMemo*, Word& Key, TShiftState Shift) {
        EditorKeyUp(Key, Shift);
    };
    CaptionEditor->OnChange = [this](TKivMemo*) { EditorChange(); };
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    PanelsManager().AddPanel(this);
}

TKivStringGrid::~TKivStringGrid() {
    if (PanelsManagerExists()) PanelsManager().RemovePanel(this);
}

// ---- view flags ----

void TKivStringGrid::SetTextOnly(bool on) {
    textOnly_ = on;
    Repaint();
}

void TKivStringGrid::SetBoxedView(bool on) {
    boxedView_ = on;
    Repaint();
}

void TKivStringGrid::SetDocumentView(bool on) {
    documentView_ = on;
    SetColor(on ? kWhite : ColorScheme.RowColor);
    SetExpandAll(on);
}

void TKivStringGrid::SetDocViewCircles(bool on) {
    docViewCircles_ = on;
    if (on) docViewNumbers_ = false;
    Repaint();
}

void TKivStringGrid::SetDocViewNumbers(bool on) {
    docViewNumbers_ = on;
    if (on) docViewCircles_ = false;
    Repaint();
}

void TKivStringGrid::SetDocViewLaunchImage(bool on) {
    docViewLaunchImage_ = on;
    Repaint();
}

void TKivStringGrid::SetDocViewTextPointer(bool on) {
    docViewTextPointer_ = on;
    Repaint();
}

void TKivStringGrid::SetDocViewSizer(bool on) {
    docViewSizer_ = on;
    Repaint();
}

void TKivStringGrid::SetExpandAll(bool on) {
    expandAll_ = on;
    UpdateRowHeights(0);
}

// ---- geometry ----

bool TKivStringGrid::IsActivePanel() const { return Tag == CurrentPanel; }

bool TKivStringGrid::HasFocusHere() const { return IsActiveControl(); }

QFont TKivStringGrid::SchemeFont(TFontStyles style) const {
    return CachedFont(ColorScheme.FontName, ColorScheme.FontSize, style);
}

bool TKivStringGrid::ShowsLaunchIcon(int r) const {
    if (textOnly_ || !IsRowValid(r)) return false;
    if (documentView_ && !docViewLaunchImage_) return false;
    return Nester->LaunchList().Count(r) >= 1;
}

QRect TKivStringGrid::RowContentRect(int r) const {
    const QRect c = CellRect(0, r);
    WinRect b = WinRect::Of(c);
    b.l += 4;
    if (IsRowValid(r)) b.l += Nester->Level(r) * 20;
    if (r >= 0 && r < RowCount() && RowHeights(r) > c.height()) b.b = b.t + RowHeights(r);
    b.r -= 4;
    b.t += 4;
    return b.Q();
}

QRect TKivStringGrid::CaptionRect(int r) const {
    WinRect k = WinRect::Of(RowContentRect(r));
    if (IsRowValid(r)) {
        k.l += 30;
        k.r -= 5;
        k.t += 1;
        k.b -= 1;
        const int lineHeight = PanelsManager().LineHeight;
        if (RowHeights(r) <= lineHeight + 8 && Nester->RowCount() > 0 && ShowsLaunchIcon(r))
            k.l += 18;
    }
    return k.Q();
}

QRect TKivStringGrid::BadgeRect(const QRect& content) {
    return QRect(content.x(), content.y(), 25, 14);
}

QRect TKivStringGrid::HeightBoxRect(const QRect& content) {
    const WinRect r = WinRect::Of(content);
    return WinRect{r.r - 14, r.b - 12, r.r, r.b}.Q();
}

int TKivStringGrid::RowNumber(int r) const {
    if (!IsRowValid(r)) return -1;
    if (!TreeMode) return r + 1;
    const int level = Nester->Level(r);
    int n = 0;
    for (int i = r; i >= 0; --i) {
        const int li = Nester->Level(i);
        if (li < level) break;
        if (li == level) ++n;
    }
    return n;
}

int TKivStringGrid::RowAt(int x, int y) const {
    int col, row;
    MouseToCell(x, y, col, row);
    return row;
}

// ---- row heights ----

int TKivStringGrid::LayOutCaption(QTextLayout& layout, int width) const {
    const int pitch = PanelsManager().LineHeight;
    QTextOption opt;
    opt.setWrapMode(kCaptionWrap);
    layout.setTextOption(opt);
    layout.beginLayout();
    int n = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, n * pitch));
        ++n;
    }
    layout.endLayout();
    return n;
}

int TKivStringGrid::CaptionLineCount(const QString& text, int width, TFontStyles style) const {
    if (text.isEmpty()) return 0;
    // Most captions are one short line: their width says so without laying them out.
    const QFont font = SchemeFont(style);
    if (!text.contains(QLatin1Char('\n')) &&
        QFontMetrics(font, viewport()).horizontalAdvance(text) <= std::max(1, width))
        return 1;
    QTextLayout layout(AsParagraph(text), font, viewport());
    return LayOutCaption(layout, width);
}

int TKivStringGrid::CaptionTextHeight(const QString& text, int width, TFontStyles style) const {
    return CaptionLineCount(text, width, style) * PanelsManager().LineHeight;
}

void TKivStringGrid::DrawCaptionText(QPainter& p, const QRect& rect, const QString& text,
                                     bool elide) const {
    if (rect.width() <= 0 || rect.height() <= 0 || text.isEmpty()) return;
    const QString paragraph = AsParagraph(text);
    QTextLayout layout(paragraph, p.font(), viewport());
    const int lines = LayOutCaption(layout, rect.width());
    const int pitch = PanelsManager().LineHeight;
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    const int fitting = std::max(1, rect.height() / std::max(1, pitch));
    if (!elide || lines <= fitting) {
        layout.draw(&p, rect.topLeft());
    } else {
        // The lines before the last that fits as laid out, the rest elided into that one.
        for (int i = 0; i + 1 < fitting; ++i) layout.lineAt(i).draw(&p, rect.topLeft());
        const int from = layout.lineAt(fitting - 1).textStart();
        const QString rest = QFontMetrics(p.font(), viewport())
                                 .elidedText(paragraph.mid(from), Qt::ElideRight, rect.width());
        p.drawText(QRect(rect.left(), rect.top() + (fitting - 1) * pitch, rect.width(), pitch),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, rest);
    }
    p.restore();
}

int TKivStringGrid::RowHeight(int r) const {
    const int lineHeight = PanelsManager().LineHeight;
    if (!IsRowValid(r)) return lineHeight + 8;
    const TFontStyles style = Nester->GetFontStyle(r);
    QString text;
    if (r == CurrentRow() && editing_) text = CaptionEditor->Text();
    else text = CaptionToText(Nester->Caption(r));
    const int base = lineHeight * SchemeRowLines() + 8;
    // The caption is drawn 43 pixels narrower than the cell (and the indent); a one-line
    // row with a launch icon beside the badge gives it 18 more. The height is measured in
    // the width the caption will be drawn in, so its end is never clipped.
    const int wide = ColWidths(0) - 43 - Nester->Level(r) * 20;
    const int atWide = std::max(base, CaptionTextHeight(text, wide, style) + 8);
    if (ShowsLaunchIcon(r) && atWide <= lineHeight + 8)
        return std::max(base, CaptionTextHeight(text, wide - 18, style) + 8);
    return atWide;
}

void TKivStringGrid::FitRowHeight(int r) {
    if (r < 0 || r >= RowCount()) return;
    SetRowHeights(r, RowHeight(r));
}

void TKivStringGrid::ResetRowHeight(int r) {
    if (r < 0 || r >= RowCount()) return;
    SetRowHeights(r, DefaultRowHeight());
}

TKivStringGrid::HeightsUpdate::HeightsUpdate(TKivStringGrid* g)
    : g_(g), outer_(g->PaintEnabled), hourglass_(outer_ && g->RowCount() > 100) {
    if (hourglass_) Screen::SetCursor(crHourGlass);
    g_->PaintEnabled = false;
}

TKivStringGrid::HeightsUpdate::~HeightsUpdate() {
    if (!outer_) return;
    if (hourglass_) Screen::SetCursor(crDefault);
    g_->PaintEnabled = true;
    g_->Repaint();
}

void TKivStringGrid::UpdateRowHeights(int fromRow) {
    if (!AutoRowHeight) return;
    if (Nester->RowCount() == 0 && RowCount() == 1) {
        SetRowHeights(0, DefaultRowHeight());
        Repaint();
        return;
    }
    HeightsUpdate update(this);
    const int from = std::max(0, fromRow);
    if (expandAll_) {
        for (int r = from; r < RowCount(); ++r) {
            const int h = RowHeight(r);
            if (RowHeights(r) != h) SetRowHeights(r, h);
        }
    } else {
        CaptionEditor->resize(CaptionEditor->width(), 0);
        const int def = PanelsManager().LineHeight * SchemeRowLines() + 8;
        if (DefaultRowHeight() != def) SetDefaultRowHeight(def);
        for (int r = from; r < RowCount(); ++r) {
            const int h = (editing_ && r == CurrentRow()) ? RowHeight(r) : def;
            if (RowHeights(r) != h) SetRowHeights(r, h);
        }
    }
}

void TKivStringGrid::RefitRowHeights() {
    if (!AutoRowHeight) return;
    // Which rows are shown taller is the state to keep; the heights are measured anew.
    std::vector<int> tall;
    for (int r = 0; r < RowCount(); ++r)
        if (expandAll_ || RowHeights(r) > DefaultRowHeight() || (editing_ && r == CurrentRow()))
            tall.push_back(r);
    HeightsUpdate update(this);
    const int def = PanelsManager().LineHeight * SchemeRowLines() + 8;
    if (DefaultRowHeight() != def) SetDefaultRowHeight(def);
    for (int r : tall) {
        const int h = RowHeight(r);
        if (RowHeights(r) != h) SetRowHeights(r, h);
    }
}

void TKivStringGrid::SchemeFontChanged() {
    CaptionEditor->SetSchemeFont(QString::fromStdString(ColorScheme.FontName),
                                 ColorScheme.FontSize);
    CaptionEditor->SetLinePitch(PanelsManager().LineHeight);
    RefitRowHeights();
}

void TKivStringGrid::RowHeightsChanged() {
    TStringGrid::RowHeightsChanged();
    // Rows below a changed row moved: the editor follows its row.
    if (PaintEnabled) Repaint();
}

void TKivStringGrid::TopLeftChanged() {
    TStringGrid::TopLeftChanged();
    Repaint();
}

void TKivStringGrid::resizeEvent(QResizeEvent* e) {
    TStringGrid::resizeEvent(e);
    Repaint();
}

bool TKivStringGrid::viewportEvent(QEvent* e) {
    const bool done = TStringGrid::viewportEvent(e);
    // The inside changes with the panel and with its scroll bar coming and going.
    if (e->type() == QEvent::Resize) FitColumn();
    return done;
}

void TKivStringGrid::FitColumn() {
    const int w = ClientWidth();
    if (w <= 0 || w == DefaultColWidth()) return;
    SetDefaultColWidth(w);
    RefitRowHeights();
}

// ---- layout ----

TKivStringGrid::RowLayout TKivStringGrid::LayoutRow(int r) const {
    RowLayout l;
    if (r < 0 || r >= RowCount() || !PaintEnabled) return l;
    l.cell = CellRect(0, r);
    if (l.cell.height() <= 0) return l;
    l.visible = true;
    l.modelRow = IsRowValid(r);
    l.content = RowContentRect(r);
    l.caption = CaptionRect(r);

    const bool hasRows = Nester->RowCount() > 0;
    const bool current = r == CurrentRow();
    const bool marked = l.modelRow && Nester->IsMarked(r);
    const bool focus = HasFocusHere();
    l.base = documentView_ ? kWhite : ColorScheme.RowColor;
    l.pen = ColorScheme.BorderColor;
    if (!hasRows) {
        l.fill = kWhite;
        if (IsActivePanel()) l.pen = ColorScheme.FocBorderColor;
    } else if (marked) {
        l.fill = ColorScheme.FocSelRowColor;
    } else if (!current) {
        l.fill = ColorScheme.RowColor;
    } else if (IsActivePanel()) {
        l.fill = ColorScheme.FocSelRowColor;
        if (focus) l.pen = ColorScheme.FocBorderColor;
    } else {
        l.fill = ColorScheme.SelRowColor;
    }
    if (documentView_) {
        l.fill = kWhite;
        if (current && l.modelRow) l.pen = focus ? kRed : kBlack;
        else l.pen = kDocPen;
        l.frame = current || marked;
        l.separator = false;
    } else {
        l.frame = boxedView_ || current || marked;
        l.separator = !l.frame;
    }

    l.editorHere = current && editing_;
    if (!l.editorHere && l.modelRow) {
        l.textColor = Nester->FontColor(r) == kDefaultFontColor ? ColorScheme.FontColor
                                                                : Nester->FontColor(r);
        l.style = Nester->GetFontStyle(r);
        std::string caption = Nester->Caption(r);
        while (!caption.empty() && uint8_t(caption.back()) <= 0x20) caption.pop_back();
        l.text = CaptionToText(caption);
        const int h = CaptionTextHeight(l.text, l.caption.width(), l.style);
        l.heightBox =
            (!documentView_ || docViewSizer_) && !textOnly_ && !editing_ && h > DefaultRowHeight();
    } else if (!l.editorHere) {
        l.textColor = ColorScheme.FontColor;
    }
    l.external = r == 0 && !hasRows && int32_t(Nester->RootNest) == -1;
    return l;
}

void TKivStringGrid::ApplyLayout(int r, const RowLayout& l) {
    if (!l.visible) return;
    if (l.modelRow) Nester->SetHeightBox(r, l.heightBox);
    if (l.editorHere) {
        PlaceEditorAt(l.caption, true, l.fill);
    } else if (editing_) {
        const QRect k = CaptionRect(CurrentRow());
        if (k.y() != EditorRect.y() || CaptionEditor->height() == 0)
            PlaceEditorAt(k, false, CaptionEditor->Color());
    }
}

void TKivStringGrid::Repaint() {
    if (PaintEnabled) {
        const int last = std::min(RowCount() - 1, TopRow() + VisibleRowCount());
        for (int r = TopRow(); r <= last; ++r) ApplyLayout(r, LayoutRow(r));
    }
    Invalidate();
}

void TKivStringGrid::DrawRow(int r) {
    if (r < 0 || r >= RowCount() || !PaintEnabled) return;
    const RowLayout l = LayoutRow(r);
    if (!l.visible) return;
    ApplyLayout(r, l);
    InvalidateRow(r);
}

void TKivStringGrid::DrawCell(int, int ARow, const QRect&, TGridDrawState) {
    QPainter* p = Canvas();
    if (!p) return;
    const RowLayout l = LayoutRow(ARow);
    if (!l.visible) return;
    ApplyLayout(ARow, l);
    PaintRow(*p, ARow, l);
}

// ---- painting ----

void TKivStringGrid::PaintRow(QPainter& p, int r, const RowLayout& l) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(l.cell, toQColor(l.base));
    const QColor fill = toQColor(l.fill);
    QPen pen(toQColor(l.pen));
    pen.setWidth(1);
    p.setPen(pen);
    p.setBrush(fill);
    const WinRect R = WinRect::Of(l.content);
    if (l.frame) DrawFrame(p, R);
    else if (l.separator && R.r - 1 >= R.l + 4) p.drawLine(R.l + 4, R.t, R.r - 1, R.t);

    if (!l.editorHere && l.modelRow && !l.text.isEmpty()) {
        p.setFont(SchemeFont(l.style));
        p.setPen(toQColor(l.textColor));
        DrawCaptionText(p, l.caption, l.text, false);
        p.setPen(pen);
    }

    if (l.heightBox) {
        const int lineHeight = PanelsManager().LineHeight;
        p.fillRect(WinRect{R.r - 17, R.b - 1 - lineHeight, R.r - 1, R.b - 1}.Q(), fill);
        WinRect box{R.r - 14, R.b - 12, R.r, R.b};
        p.setBrush(toQColor(kWhite));
        if (documentView_ && docViewSizer_) {
            p.setPen(QPen(fill, 1));
            box.r -= 1;
            box.b -= 1;
        }
        DrawFrame(p, box);
        QFont f("Arial");
        f.setFamily(SubstituteFontName("Arial"));
        f.setPixelSize(10);
        p.setFont(f);
        p.setPen(toQColor(kBlue));
        p.drawText(box.Q().translated(0, 1), Qt::AlignCenter | Qt::TextDontClip,
                   RowHeights(r) == DefaultRowHeight() ? QStringLiteral("+") : QStringLiteral("-"));
        p.setPen(pen);
        p.setBrush(fill);
    }

    if (l.external) {
        p.setFont(SchemeFont(0));
        p.setPen(toQColor(ColorScheme.FontColor));
        DrawCaptionText(p, l.caption,
                        QStringLiteral("External database ") + FileNameOf(ExternalPath), true);
        p.setPen(pen);
    }

    if (l.modelRow) PaintBadge(p, r, l);
    p.restore();
}

QPixmap TKivStringGrid::LaunchIconPixmap(int r) const {
    TKivPanelsManager& m = PanelsManager();
    if (Nester->LaunchList().Count(r) != 1) return m.LinksBitmap;
    const int i = m.LinkIconIndex(Nester->LaunchList().GetPath(r, 0));
    if (i >= 0) {
        const QPixmap icon = m.SystemSmallIcon(i);
        if (!icon.isNull()) return icon;
    }
    return m.ClipBitmap;
}

void TKivStringGrid::PaintBadge(QPainter& p, int r, const RowLayout& l) {
    TKivPanelsManager& m = PanelsManager();
    const WinRect R = WinRect::Of(l.content);
    const WinRect B = WinRect::Of(BadgeRect(l.content));
    const bool current = r == CurrentRow();
    const bool marked = Nester->IsMarked(r);
    const QColor fill = toQColor(l.fill);

    if (!(documentView_ && !docViewCircles_ && !docViewNumbers_)) {
        const int32_t child = Nester->ChildNest(r);
        const TColor badge = child == -1 ? kRed : child == 0 ? kWhite : kYellow;
        p.setBrush(toQColor(badge));
        if (child == 0 && documentView_ && docViewNumbers_) p.setPen(QPen(fill, 1));
        // Windows RoundRect with a 9 x 9 corner ellipse.
        auto roundRect = [&p](const WinRect& b) {
            if (b.r - b.l < 1 || b.b - b.t < 1) return;
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.drawRoundedRect(QRectF(b.l + 0.5, b.t + 0.5, b.r - b.l - 1, b.b - b.t - 1), 4.5, 4.5);
            p.restore();
        };
        if (!documentView_) {
            roundRect(B);
        } else if (docViewCircles_) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.drawEllipse(QRectF(B.l + 9 + 0.5, B.t + 1 + 0.5, (B.r - 8) - (B.l + 9) - 1,
                                 (B.b - 5) - (B.t + 1) - 1));
            p.restore();
        } else {
            roundRect(WinRect{B.l + 1, B.t + 1, B.r, B.b});
        }
        QString text;
        if (!documentView_ || docViewNumbers_) text = QString::number(RowNumber(r));
        const bool locked = Nester->IsLocked(r);
        if (locked) text += QLatin1Char('*');
        QColor ink = toQColor(kBlack);
        if (locked) ink = toQColor(badge == kRed ? kWhite : kRed);
        if (!text.isEmpty()) {
            p.setFont(CachedFont("Small Fonts", 6, 0));
            p.setPen(ink);
            const QRect tr = WinRect{B.l, B.t + 2, B.r, B.b - 1}.Q();
            const QString shown =
                QFontMetrics(p.font()).elidedText(text, Qt::ElideRight, tr.width());
            p.drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, shown);
        }
        if (Nester->IsClone(r)) p.drawPixmap(B.l + 3, B.t + 3, m.CloneBitmap);
    }

    if (textOnly_) return;
    if ((!documentView_ || docViewTextPointer_) && Nester->HasText(r))
        p.drawPixmap(B.r - 2, B.t + 2, m.TextBitmap);
    if (Nester->LaunchList().Count(r) < 1 || (documentView_ && !docViewLaunchImage_)) return;
    const int lineHeight = m.LineHeight;
    WinRect T = B;
    if (RowHeights(r) > lineHeight + 8) {
        T.l = B.l + 2;
        T.t = B.b + 1;
    } else {
        T.l = B.r + 5;
        T.t = B.t + 2;
    }
    T.r = T.l + m.LinksBitmap.width();
    T.b = R.b;
    if (m.LinksBitmap.height() < R.b - T.t) T.b = T.t + 17;
    if (current || marked || boxedView_) T.b -= 1;
    if (T.r <= T.l || T.b <= T.t) return;
    p.fillRect(T.Q(), fill);
    p.drawPixmap(T.Q(), LaunchIconPixmap(r));
}

// ---- caption text ----

QString TKivStringGrid::CaptionToText(const std::string& stored) {
    QString s = QString::fromUtf8(LegacyText::Decode(stored));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::string TKivStringGrid::TextToCaption(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return LegacyText::Encode(s.toStdString());
}

}  // namespace kiv
