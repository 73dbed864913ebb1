#pragma once
#include <functional>
#include <string>
#include <vector>

namespace app {

class TTempForm;

// Whether the encoder counts as installed: set once from the presence check early in start-up, and by
// the set-up prompt's OK button.
extern bool EncoderReady;
// The encoder application's path from the registry; empty when the application is not installed.
extern std::string RealProducerPath;

// The confirmation asked when the encoder application is there but the rest of its installation is not.
inline constexpr const char* IncompleteEncoderQuestion =
    "You install Real Basic, but it have error,please reinstall real basic, are you sure run me now?";

enum class StartupOutcome {
    Run,             // the windows exist; the message loop may start
    EndedSilently,   // the encoder application is still missing after the set-up prompt
    EndedByAnswer,   // the user answered No to the question
    EndedByFailure,  // the windows could not be created; the error has been shown
};

// How the set-up prompt is shown; the default runs it modally. Tests replace it to act on the prompt.
using PromptRunner = std::function<void(TTempForm&)>;
void SetPromptRunner(PromptRunner runner);
// How the windows are created; the default is CreateForms. Tests replace it to make creation fail.
void SetFormsCreator(std::function<void()> creator);

// Start-up from the presence check up to the created windows (CreateForms, the main window first). The
// caller runs the message loop when the outcome is Run.
StartupOutcome RunStartup();

// The names on the command line (`arguments`: argv's bytes after Qt took its options, the program first),
// made full from the current folder byte for byte, whatever their encoding. Arguments that begin with "-"
// are options, unless they follow "--".
std::vector<std::string> CommandLineNames(const std::vector<std::string>& arguments);
// The files named on the command line, as the file manager's "Open with" passes them, in the form the
// Add File dialog returns them: full paths. Folders are searched for media files as a drop onto the list
// is.
std::vector<std::string> CommandLineFiles(const std::vector<std::string>& arguments);
// Appends those files to the main window's job list under the limit, as Add File does. The settings must
// be loaded, so this follows the main window's first showing.
void AddCommandLineFiles(const std::vector<std::string>& arguments);

}  // namespace app
