#pragma once
// The production dialogs: QMessageBox, Qt's own file dialog (not the desktop's, so that
// Windows filters keep their meaning: patterns without regard to case, "*.*" for every
// file, the default extension added), QColorDialog, a font dialog with the Windows colour
// list, and QPrintDialog.
#include <QStringList>
#include <functional>

#include "platform/qt/Dialogs.h"

class QWidget;

namespace kiv {

class QtDialogs : public Dialogs {
public:
    // Shows help for a context; the message boxes' Help button calls it.
    std::function<void(int helpContext)> OnHelp;

    int MessageBox(const MessageBoxRequest& request) override;
    FileDialogResult OpenFile(const FileDialogRequest& request) override;
    FileDialogResult SaveFile(const FileDialogRequest& request) override;
    std::optional<QString> BrowseForFolder(const FolderDialogRequest& request) override;
    std::optional<FontChoice> ChooseFont(const FontDialogRequest& request) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    bool PrinterSetup(QPrinter& printer) override;
    std::optional<QString> InputText(const InputRequest& request) override;

    // "Text files (*.txt)|*.txt|All files (*.*)|*.*" -> {"Text files (*.txt)", "All files (*)"}.
    static QStringList QtNameFilters(const QString& windowsFilter);
    // The window a dialog belongs to: the active modal window, else the active window.
    static QWidget* DialogParent();

private:
    FileDialogResult RunFileDialog(const FileDialogRequest& request, bool save);
};

}  // namespace kiv
