// The framework's message box and file dialogs over Qt's: texts from the
// string table, filters in the string table's "name|pattern|...||" form, the
// start folder, and the current folder left at the chosen file's folder, so
// that the next dialog starts where the last one ended.
#pragma once

#include <string>

class QWidget;

namespace brelko::app {

enum class MessageButtons { Ok, YesNoCancel, YesNo, OkCancel };
enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageResult { Ok, Cancel, Yes, No };

// The window a dialog belongs to: the modal one on top, else the main window.
QWidget* DialogParent();

// A modal message box titled "Brelko" over the main window.
MessageResult AfxMessageBox(const std::string& text, MessageButtons buttons = MessageButtons::Ok,
                            MessageIcon icon = MessageIcon::Information);

// "Backup-file (*.asc)|*.asc||" in Qt's form ("Backup-file (*.asc)"), one
// filter per pair. The name shows the patterns that apply: "Picture(*.mtx)"
// becomes "Picture (*.mtx)", and "All Files (*.*)" with "*" becomes
// "All Files (*)" rather than showing two lists.
std::string QtFilterFromBarList(const std::string& barList);

struct FileDialogRequest {
    bool save = false;
    std::string filter;            // the string table's "name|pattern|...||" form
    std::string defaultExtension;  // ".asc": added to a name the user typed without one
    std::string startFolder;       // empty: the current folder
    std::string fileName;          // proposed name; empty: none
    bool promptOverwrite = false;  // save: ask before replacing a file
    std::string title;             // the command's own name; empty: the dialog's default
};

// What the user chose: the path, and the extension of the filter that was
// selected (".png"; empty for a filter of several patterns). A save dialog
// gives a name typed without an extension the selected filter's extension.
struct FileChoice {
    std::string path;
    std::string filterExtension;
};
FileChoice ChooseFile(const FileDialogRequest& request);

// Runs the dialog; the chosen path, or empty on Cancel. On OK the current
// folder becomes the chosen file's folder. The dialog opens at the size the
// user last gave one.
std::string RunFileDialog(const FileDialogRequest& request);

// The extension one filter pattern names: "*.png" gives ".png"; "*" and a
// list of patterns give "".
std::string ExtensionOfPattern(const std::string& pattern);

// Tests turn the platform's own dialogs off so that Qt's, which they can
// drive, are used.
void SetNativeDialogsAllowed(bool allowed);

}  // namespace brelko::app
