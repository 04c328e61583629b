#include "app/framework/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <QMimeDatabase>
#include <QMessageBox>

#include "app/framework/CWinApp.h"
#include "platform/Profile.h"
#include "app/framework/QtText.h"

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

std::string QtFilterFromBarList(const std::string& barList) {
    const std::vector<std::string> parts = Split(barList, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string name = Trimmed(parts[i]);
        std::string pattern = Trimmed(parts[i + 1]);
        if (name.empty() && pattern.empty()) break;  // "||" ends the list
        for (char& c : pattern)
            if (c == ';') c = ' ';
        // The patterns the name shows in parentheses give way to those that
        // apply, set off by a space.
        if (!name.empty() && name.back() == ')') {
            const std::size_t open = name.rfind('(');
            if (open != std::string::npos) name = Trimmed(name.substr(0, open));
        }
        const std::string filter = name.empty() ? "(" + pattern + ")" : name + " (" + pattern + ")";
        if (!result.empty()) result += ";;";
        result += filter;
    }
    return result;
}

std::string ExtensionOfPattern(const std::string& pattern) {
    const std::string one = Trimmed(pattern);
    if (one.size() < 3 || one.compare(0, 2, "*.") != 0) return {};
    if (one.find_first_of(" ;*?", 2) != std::string::npos) return {};
    return one.substr(1);
}

namespace {

// The patterns of a filter in Qt's form: "PNG (*.png)" gives "*.png".
std::string PatternsOf(const QString& filter) {
    const qsizetype open = filter.lastIndexOf('('), close = filter.lastIndexOf(')');
    return open >= 0 && close > open ? S(filter.mid(open + 1, close - open - 1)) : std::string();
}

// The type column from the name alone: the toolkit's own provider reads a
// file's first bytes to tell its type, and a read of a serial device, a
// named pipe or /proc/kmsg waits for ever, with the window frozen.
class NameOnlyIcons final : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override {
        if (info.isDir() || info.isRoot()) return QFileIconProvider::type(info);
        return m_mime.mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }
    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir() || info.isRoot()) return QFileIconProvider::icon(info);
        const QIcon themed = QIcon::fromTheme(m_mime.mimeTypeForFile(info, QMimeDatabase::MatchExtension).iconName());
        return themed.isNull() ? QFileIconProvider::icon(QAbstractFileIconProvider::File) : themed;
    }
    using QFileIconProvider::icon;

private:
    QMimeDatabase m_mime;
};

// A save dialog whose selected filter decides the extension of a name typed
// without one, however the filter was chosen.
class FileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void FollowSelectedFilter() {
        const std::string ext = ExtensionOfPattern(PatternsOf(selectedNameFilter()));
        if (!ext.empty()) setDefaultSuffix(Q(ext.substr(1)));
    }
    void accept() override {
        if (acceptMode() == AcceptSave) FollowSelectedFilter();
        QFileDialog::accept();
    }
};

// The size the user gave the last file dialog ("Window"/"FileDialog", "W H").
QSize RememberedDialogSize() {
    const QStringList parts = Q(Profile::GetString("Window", "FileDialog", "")).split(' ', Qt::SkipEmptyParts);
    const QSize fallback(880, 560);  // room for the name, size, type and date columns
    if (parts.size() != 2) return fallback;
    const QSize size(parts[0].toInt(), parts[1].toInt());
    return size.width() >= 400 && size.height() >= 300 && size.width() <= 8000 && size.height() <= 8000 ? size : fallback;
}

}  // namespace

FileChoice ChooseFile(const FileDialogRequest& request) {
    FileDialog dialog(DialogParent());
    NameOnlyIcons icons;
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !g_nativeDialogs);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
    if (!request.title.empty()) dialog.setWindowTitle(Q(request.title));
    dialog.setNameFilters(Q(QtFilterFromBarList(request.filter)).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    QString ext = Q(request.defaultExtension);
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
    if (request.save) {
        // The extension follows the filter the user picks.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog] { dialog.FollowSelectedFilter(); });
    }
    // A remembered path names a file: the dialog starts in its folder.
    QString start = Q(request.startFolder);
    if (!start.isEmpty()) {
        QFileInfo info(start);
        if (!info.isDir()) start = info.absolutePath();
    }
    dialog.setDirectory(start.isEmpty() ? QDir::currentPath() : start);
    if (!request.fileName.empty()) dialog.selectFile(Q(request.fileName));
    dialog.resize(RememberedDialogSize());
    // Every column as wide as what it shows, the name taking the rest.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        for (int column = 0; column < header->count(); ++column)
            header->setSectionResizeMode(column, column == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    Profile::WriteString("Window", "FileDialog",
                         std::to_string(dialog.width()) + " " + std::to_string(dialog.height()));
    if (!accepted || dialog.selectedFiles().isEmpty()) return {};
    FileChoice choice;
    const QString chosen = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    choice.path = S(chosen);
    choice.filterExtension = ExtensionOfPattern(PatternsOf(dialog.selectedNameFilter()));
    return choice;
}

std::string RunFileDialog(const FileDialogRequest& request) { return ChooseFile(request).path; }

}  // namespace brelko::app
