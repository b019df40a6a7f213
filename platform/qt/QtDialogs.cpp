#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kiv {

QWidget* QtDialogs::DialogParent() {
    if (QWidget* m = QApplication::activeModalWidget()) return m;
    return QApplication::activeWindow();
}

int QtDialogs::MessageBox(const MessageBoxRequest& r) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (r.Type) {
    case MsgType::Warning: icon = QMessageBox::Warning; break;
    case MsgType::Error: icon = QMessageBox::Critical; break;
    case MsgType::Information: icon = QMessageBox::Information; break;
    case MsgType::Confirmation: icon = QMessageBox::Question; break;
    case MsgType::None: break;
    }
    QString text = r.Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, r.Caption, text, QMessageBox::NoButton, DialogParent());
    box.setTextFormat(Qt::PlainText);
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    switch (r.Buttons) {
    case MsgButtons::OK: buttons = QMessageBox::Ok; break;
    case MsgButtons::OKCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        first = QMessageBox::Yes;
        break;
    case MsgButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = QMessageBox::Yes;
        break;
    }
    if (r.HelpButton) buttons |= QMessageBox::Help;
    box.setStandardButtons(buttons);
    box.setDefaultButton(first);
    // Help shows the topic and the question stays: the box is shown again.
    for (;;) {
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        QMessageBox::StandardButton b =
            clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
        switch (b) {
        case QMessageBox::Ok: return IDOK;
        case QMessageBox::Cancel: return IDCANCEL;
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        case QMessageBox::Help:
            if (OnHelp) OnHelp(r.HelpContext);
            continue;
        default: return CloseAnswerOf(r.Buttons);
        }
    }
}

QStringList QtDialogs::QtNameFilters(const QString& windowsFilter) {
    QStringList out;
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        QStringList patterns;
        for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");  // every file, as on Windows
            if (!p.isEmpty()) patterns << p;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // Qt reads the patterns from the last parentheses; a Windows description often
        // repeats them there, so that part is replaced rather than doubled.
        if (desc.endsWith(QLatin1Char(')'))) {
            int open = desc.lastIndexOf(QLatin1Char('('));
            if (open >= 0) desc = desc.left(open).trimmed();
        }
        out << (desc.isEmpty() ? QString() : desc + QLatin1Char(' ')) + QLatin1Char('(') +
                   patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

FileDialogResult QtDialogs::RunFileDialog(const FileDialogRequest& r, bool save) {
    QFileDialog dlg(DialogParent(), r.Title);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) dlg.setFileMode(QFileDialog::AnyFile);
    else if (r.MultiSelect) dlg.setFileMode(QFileDialog::ExistingFiles);
    else dlg.setFileMode(r.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (save && !r.OverwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtNameFilters(r.Filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        int idx = r.FilterIndex >= 1 && r.FilterIndex <= filters.size() ? r.FilterIndex - 1 : 0;
        dlg.selectNameFilter(filters[idx]);
    }
    if (!r.DefaultExt.isEmpty()) dlg.setDefaultSuffix(r.DefaultExt);
    // A file name with a folder opens there; otherwise the initial folder.
    QFileInfo name(r.FileName);
    if (!r.FileName.isEmpty() && name.isAbsolute()) {
        dlg.setDirectory(name.absolutePath());
        dlg.selectFile(name.fileName());
    } else {
        if (!r.InitialDir.isEmpty()) dlg.setDirectory(r.InitialDir);
        if (!r.FileName.isEmpty()) dlg.selectFile(r.FileName);
    }
    FileDialogResult res;
    if (dlg.exec() != QDialog::Accepted) return res;
    res.Files = dlg.selectedFiles();
    if (r.PathMustExist || r.FileMustExist) {
        for (const QString& f : res.Files) {
            QFileInfo fi(f);
            if (!QDir(fi.absolutePath()).exists() || (r.FileMustExist && !fi.exists())) return {};
        }
    }
    res.Accepted = !res.Files.isEmpty();
    int sel = filters.indexOf(dlg.selectedNameFilter());
    res.FilterIndex = sel >= 0 ? sel + 1 : r.FilterIndex;
    return res;
}

FileDialogResult QtDialogs::OpenFile(const FileDialogRequest& r) { return RunFileDialog(r, false); }
FileDialogResult QtDialogs::SaveFile(const FileDialogRequest& r) { return RunFileDialog(r, true); }

std::optional<QString> QtDialogs::BrowseForFolder(const FolderDialogRequest& r) {
    QFileDialog dlg(DialogParent(), r.Title);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    const QString root = r.Root.isEmpty() ? QString() : QDir::cleanPath(r.Root);
    const auto inRoot = [&root](const QString& dir) {
        const QString d = QDir::cleanPath(dir);
        return root.isEmpty() || root == QStringLiteral("/") || d == root ||
               d.startsWith(root + QLatin1Char('/'));
    };
    QString start = r.InitialDir;
    if (start.isEmpty() || !QFileInfo(start).isDir() || !inRoot(start))
        start = root.isEmpty() ? QDir::homePath() : root;
    dlg.setDirectory(start);
    if (!root.isEmpty()) {
        dlg.setSidebarUrls({QUrl::fromLocalFile(root)});
        // The tree starts at the root: going above it leads back.
        QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg,
                         [&dlg, inRoot, root](const QString& dir) {
                             if (!inRoot(dir)) dlg.setDirectory(root);
                         });
    }
    if (!r.StatusText.isEmpty()) dlg.setLabelText(QFileDialog::LookIn, r.StatusText);
    // A typed name that is no folder is refused by the dialog itself, which stays open.
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const QString dir = dlg.selectedFiles().constFirst();
    if (dir.isEmpty() || !inRoot(dir)) return std::nullopt;
    return dir;
}

namespace {
struct NamedColor {
    TColor value;
    const char* name;
};
// The colour list of the Windows font dialog.
constexpr NamedColor kFontColors[] = {
    {clBlack, "Black"},   {clMaroon, "Maroon"},   {clGreen, "Green"}, {clOlive, "Olive"},
    {clNavy, "Navy"},     {clPurple, "Purple"},   {clTeal, "Teal"},   {clGray, "Gray"},
    {clSilver, "Silver"}, {clRed, "Red"},         {clLime, "Lime"},   {clYellow, "Yellow"},
    {clBlue, "Blue"},     {clFuchsia, "Fuchsia"}, {clAqua, "Aqua"},   {clWhite, "White"},
};
}  // namespace

std::optional<FontChoice> QtDialogs::ChooseFont(const FontDialogRequest& r) {
    QDialog dlg(DialogParent());
    dlg.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* fonts = new QFontDialog(&dlg);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    const QString shownFamily = SubstituteFontName(r.Font.Name);
    fonts->setCurrentFont(FontFromStored(r.Font.Name, r.Font.Size, r.Font.Styles));
    layout->addWidget(fonts);

    QComboBox* colors = nullptr;
    if (r.Effects) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Color:"), &dlg));
        colors = new QComboBox(&dlg);
        int current = -1;
        for (const auto& c : kFontColors) {
            QPixmap swatch(16, 12);
            swatch.fill(toQColor(c.value));
            colors->addItem(QIcon(swatch), QString::fromLatin1(c.name), QVariant(int(c.value)));
            if (ColorToRGB(r.Font.Color) == c.value) current = colors->count() - 1;
        }
        if (current < 0) {
            QPixmap swatch(16, 12);
            swatch.fill(toQColor(r.Font.Color));
            colors->addItem(QIcon(swatch), QStringLiteral("Custom"), QVariant(int(r.Font.Color)));
            current = colors->count() - 1;
        }
        colors->setCurrentIndex(current);
        row->addWidget(colors, 1);
        layout->addLayout(row);
    }
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    layout->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, [&] {
        int size = fonts->currentFont().pointSize();
        if ((r.MinSize > 0 && size < r.MinSize) || (r.MaxSize > 0 && size > r.MaxSize)) {
            MessageDlg(QStringLiteral("Size must be between %1 and %2 points.")
                           .arg(r.MinSize)
                           .arg(r.MaxSize),
                       MsgType::Warning, MsgButtons::OK);
            return;
        }
        dlg.accept();
    });
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;

    const QFont f = fonts->currentFont();
    FontChoice out = r.Font;
    // A family left as shown keeps the stored name, so "MS Sans Serif" survives an OK.
    out.Name = f.family().compare(shownFamily, Qt::CaseInsensitive) == 0 ? r.Font.Name : f.family();
    out.Size = f.pointSize() > 0 ? f.pointSize() : r.Font.Size;
    TFontStyles styles = StylesOf(f);
    if (!r.Effects)
        styles = TFontStyles((styles & (fsBold | fsItalic)) |
                             (r.Font.Styles & (fsUnderline | fsStrikeOut)));
    out.Styles = styles;
    if (colors) out.Color = TColor(colors->currentData().toInt());
    return out;
}

std::optional<TColor> QtDialogs::ChooseColor(TColor initial) {
    QColor c = QColorDialog::getColor(toQColor(initial), DialogParent(), QString(),
                                      QColorDialog::DontUseNativeDialog);
    if (!c.isValid()) return std::nullopt;
    return fromQColor(c);
}

bool QtDialogs::PrinterSetup(QPrinter& printer) {
    QPrintDialog dlg(&printer, DialogParent());
    return dlg.exec() == QDialog::Accepted;
}

std::optional<QString> QtDialogs::InputText(const InputRequest& request) {
    QInputDialog dlg(DialogParent());
    dlg.setWindowTitle(request.Caption);
    dlg.setLabelText(request.Prompt);
    dlg.setTextEchoMode(request.Password ? QLineEdit::Password : QLineEdit::Normal);
    if (request.MaxLength > 0)
        if (auto* edit = dlg.findChild<QLineEdit*>()) edit->setMaxLength(request.MaxLength);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

}  // namespace kiv
