#include "platform/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace platform {
namespace {
struct SeamState {
    bool scriptedBoxes = false;
    std::deque<MsgButton> answers;
    std::vector<MessageRequest> shown;
    bool scriptedDialogs = false;
    std::deque<std::vector<std::string>> openFiles;
    std::deque<std::optional<std::string>> directories;
    std::vector<FileFilter> lastFilters;
    std::string lastOpenFilesFolder;
    std::pair<std::string, std::string> lastDirectoryRequest;
    QWidget* parent = nullptr;
};

SeamState& State() {
    static SeamState state;
    return state;
}

QWidget* Parent() {
    return State().parent ? State().parent : QApplication::activeWindow();
}

// Esc presses the escape button, while the close box reports None instead of pretending a button was
// pressed: callers must tell the two apart.
class Box : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;
    QAbstractButton* escape = nullptr;
    bool closedByBox = false;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->matches(QKeySequence::Cancel)) {
            if (escape)
                escape->click();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (!clickedButton())
            closedByBox = true;
        e->accept();
        done(0);
    }
};

QString ButtonText(MsgButton b) {
    switch (b) {
        case MsgButton::Ok:
            return QStringLiteral("OK");
        case MsgButton::Cancel:
            return QStringLiteral("Cancel");
        case MsgButton::Yes:
            return QStringLiteral("&Yes");
        case MsgButton::No:
            return QStringLiteral("&No");
        case MsgButton::All:
            return QStringLiteral("&All");
        case MsgButton::None:
            break;
    }
    return {};
}

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString ToQt(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

MsgButton MessageBox::Show(const MessageRequest& request) {
    SeamState& s = State();
    if (s.scriptedBoxes) {
        s.shown.push_back(request);
        if (s.answers.empty())
            return request.defaultButton;
        MsgButton answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }
    Box box(ToQtIcon(request.icon), ToQt(request.title), ToQt(request.text), QMessageBox::NoButton, Parent());
    // Messages quote file names and system texts; brackets in them are text, never markup.
    box.setTextFormat(Qt::PlainText);
    std::vector<std::pair<QAbstractButton*, MsgButton>> map;
    for (MsgButton b : request.buttons) {
        QPushButton* button = box.addButton(ButtonText(b), QMessageBox::ActionRole);
        map.emplace_back(button, b);
        if (b == request.defaultButton)
            box.setDefaultButton(button);
        if (b == request.escapeButton)
            box.escape = button;
    }
    box.exec();
    if (box.closedByBox)
        return MsgButton::None;
    for (auto& [button, b] : map) {
        if (box.clickedButton() == button)
            return b;
    }
    return MsgButton::None;
}

void MessageBox::ShowMessage(const std::string& text) {
    MessageRequest r;
    r.title = QApplication::applicationName().toStdString();
    r.text = text;
    Show(r);
}

void MessageBox::ShowError(const std::string& text) {
    MessageRequest r;
    r.title = "Error";
    r.text = text;
    r.icon = MsgIcon::Error;
    Show(r);
}

void MessageBox::SetScripted(bool scripted) {
    State().scriptedBoxes = scripted;
}
void MessageBox::SetNextAnswer(MsgButton answer) {
    State().answers.push_back(answer);
}
std::vector<MessageRequest> MessageBox::TakeShown() {
    return std::exchange(State().shown, {});
}
std::vector<MessageRequest>& MessageBox::Shown() {
    return State().shown;
}
void MessageBox::SetParentWindow(QWidget* parent) {
    State().parent = parent;
}

std::vector<std::string> FileDialogs::GetOpenFileNames(const std::vector<FileFilter>& filters,
                                                       const std::string& startFolder) {
    SeamState& s = State();
    s.lastFilters = filters;
    s.lastOpenFilesFolder = startFolder;
    if (s.scriptedDialogs) {
        if (s.openFiles.empty())
            return {};
        auto files = std::move(s.openFiles.front());
        s.openFiles.pop_front();
        return files;
    }
    QStringList parts;
    for (const FileFilter& f : filters) {
        QString patterns = ToQt(f.patterns);
        patterns.replace(';', ' ');
        parts << ToQt(f.description) + " (" + patterns + ")";
    }
    QStringList chosen =
        QFileDialog::getOpenFileNames(Parent(), QString(), ToQt(startFolder), parts.join(";;"));
    std::vector<std::string> out;
    // A name that is not UTF-8 comes back from Qt with U+FFFD in it; the file's own bytes are looked up.
    for (const QString& f : chosen)
        out.push_back(platform::NativePath(f.toStdString()));
    return out;
}

std::optional<std::string> FileDialogs::GetExistingDirectory(const std::string& caption,
                                                             const std::string& start) {
    SeamState& s = State();
    s.lastDirectoryRequest = {caption, start};
    if (s.scriptedDialogs) {
        if (s.directories.empty())
            return std::nullopt;
        auto dir = std::move(s.directories.front());
        s.directories.pop_front();
        return dir;
    }
    QString startDir = DirectoryExists(start) ? ToQt(start) : QString();
    QString chosen =
        QFileDialog::getExistingDirectory(Parent(), ToQt(caption), startDir, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

void FileDialogs::SetScripted(bool scripted) {
    State().scriptedDialogs = scripted;
}
void FileDialogs::SetNextOpenFiles(std::vector<std::string> files) {
    State().openFiles.push_back(std::move(files));
}
void FileDialogs::SetNextDirectory(std::optional<std::string> directory) {
    State().directories.push_back(std::move(directory));
}
std::vector<FileFilter> FileDialogs::LastFilters() {
    return State().lastFilters;
}
std::string FileDialogs::LastOpenFilesFolder() {
    return State().lastOpenFilesFolder;
}
std::pair<std::string, std::string> FileDialogs::LastDirectoryRequest() {
    return State().lastDirectoryRequest;
}

}  // namespace platform
