#pragma once
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace platform {

enum class MsgIcon { None, Information, Warning, Error, Question };
// None: the box was closed by its close box without a button being pressed.
enum class MsgButton { None, Ok, Cancel, Yes, No, All };

struct MessageRequest {
    std::string title;
    std::string text;
    MsgIcon icon = MsgIcon::None;
    std::vector<MsgButton> buttons{MsgButton::Ok};
    MsgButton defaultButton = MsgButton::Ok;
    // The button Esc presses; None when Esc should do nothing. The close box is reported separately.
    MsgButton escapeButton = MsgButton::Ok;
};

// Every modal message box goes through here, so that tests can answer them before they open.
class MessageBox {
  public:
    static MsgButton Show(const MessageRequest& request);
    // A plain box with the application's title and an OK button.
    static void ShowMessage(const std::string& text);
    // An error box: caption "Error", error icon, one OK button.
    static void ShowError(const std::string& text);

    // Test seam. In scripted mode no box opens: each request is recorded and answered with the next
    // queued answer, or with its default button when none is queued.
    static void SetScripted(bool scripted);
    static void SetNextAnswer(MsgButton answer);
    static std::vector<MessageRequest> TakeShown();
    static std::vector<MessageRequest>& Shown();

    static void SetParentWindow(QWidget* parent);
};

struct FileFilter {
    std::string description;  // "Media Files"
    std::string patterns;     // "*.avi;*.mov"
};

// Open-file and folder dialogs, with the same kind of test seam.
class FileDialogs {
  public:
    // Several files at once, starting in `startFolder` (the platform's default when empty); an empty result
    // means the user cancelled.
    static std::vector<std::string> GetOpenFileNames(const std::vector<FileFilter>& filters,
                                                     const std::string& startFolder = {});
    // A folder; nullopt when cancelled. Starts at `start` when it names an existing folder.
    static std::optional<std::string> GetExistingDirectory(const std::string& caption,
                                                           const std::string& start);

    // Test seam: in scripted mode the next call returns the queued answer (or cancels when none is queued).
    static void SetScripted(bool scripted);
    static void SetNextOpenFiles(std::vector<std::string> files);
    static void SetNextDirectory(std::optional<std::string> directory);
    // What the last dialog was asked to show: filters and start folder, or the caption and start folder.
    static std::vector<FileFilter> LastFilters();
    static std::string LastOpenFilesFolder();
    static std::pair<std::string, std::string> LastDirectoryRequest();
};

}  // namespace platform
