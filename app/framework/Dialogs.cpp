#include "Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "CWinApp.h"
#include "QtText.h"

namespace brelko::app {

namespace {

bool g_nativeDialogs = true;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void SetNativeDialogsAllowed(bool allowed) { g_nativeDialogs = allowed; }

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (CWinApp* app = AfxGetApp()) return app->MainWindow();
    return nullptr;
}

MessageResult AfxMessageBox(const std::string& text, MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(DialogParent());
    box.setWindowTitle(QStringLiteral("Brelko"));
    box.setText(Q(text));
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    case QMessageBox::Ok: return MessageResult::Ok;
    default: return MessageResult::Cancel;  // Cancel, Escape, or the box closed
    }
}

std::string QtFilterFromClassic(const std::string& classic) {
    const std::vector<std::string> parts = Split(classic, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string name = Trimmed(parts[i]);
        std::string pattern = Trimmed(parts[i + 1]);
        if (name.empty() && pattern.empty()) break;  // "||" ends the list
        for (char& c : pattern)
            if (c == ';') c = ' ';
        const std::string own = "(" + pattern + ")";
        std::string filter = name;
        if (name.size() < own.size() || name.compare(name.size() - own.size(), own.size(), own) != 0)
            filter += (name.empty() ? "" : " ") + own;
        if (!result.empty()) result += ";;";
        result += filter;
    }
    return result;
}

std::string RunFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(DialogParent());
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !g_nativeDialogs);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
    dialog.setNameFilters(Q(QtFilterFromClassic(request.filter)).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    QString ext = Q(request.defaultExtension);
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
    // A remembered path names a file: the dialog starts in its folder.
    QString start = Q(request.startFolder);
    if (!start.isEmpty()) {
        QFileInfo info(start);
        if (!info.isDir()) start = info.absolutePath();
    }
    dialog.setDirectory(start.isEmpty() ? QDir::currentPath() : start);
    if (!request.fileName.empty()) dialog.selectFile(Q(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString chosen = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return S(chosen);
}

}  // namespace brelko::app
