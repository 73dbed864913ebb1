#pragma once
#include <QComboBox>
#include <QDialog>
#include <array>
#include <string>

#include "settings/SchemePresets.h"
#include "settings/Settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
namespace ui {
class ByteKeepingEdit;
}

namespace settings {

// A drop-down list whose edit field accepts typing. Typing leaves it with no chosen item (index -1);
// picking an item from the list chooses it again.
class TListCombo : public QComboBox {
    Q_OBJECT
  public:
    explicit TListCombo(QWidget* parent = nullptr);
    // The chosen item, or -1 after typing or when nothing is chosen.
    int ItemIndex() const;
    // Chooses an item; a value outside the list leaves no item chosen and an empty text.
    void SetItemIndex(int index);

  private:
    bool typed_ = false;
};

// The text ClampEditNumber leaves in an edit: the number in plain decimal when it lies within
// [minimum, maximum], the nearer bound when it lies outside, and `tag` when the text is not a number in
// the INI store's integer syntax.
std::string ClampNumberText(const std::string& text, int tag, int maximum, int minimum);

// The Preferences dialog. It shows what the opener gives it and hands back what the user confirmed; it
// never reads or writes Settings itself. Its controls keep their designer names as object names.
class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmOption(QWidget* parent = nullptr);

    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return Image1; }

    // The whole opening: shows the Music tab, fills every control but the Scheme list from `s`, shows the
    // dialog modally and, if OK was pressed, copies the controls back into `s`. Returns whether it was.
    bool Execute(TSettings& s);

  private:
    void LoadControls(const TSettings& s);
    void StoreControls(TSettings& s) const;

    void ComboBox1Select();
    void Edit5Change();
    void DirectoryButtonClick();
    void ClearTargets();
    static void ClampEditNumber(QLineEdit* edit, int maximum, int minimum);

    QWidget* CreateMusicPage();
    QWidget* CreateControlPage();
    QWidget* CreateInformationPage();

    QTabWidget* PageControl1 = nullptr;
    // "Music"
    TListCombo* ComboBox1 = nullptr;                                 // Scheme
    QRadioButton* RainRadioBox1 = nullptr;                           // "Single-rate"
    QRadioButton* RainRadioBox2 = nullptr;                           // "Multi-rate SureStream"
    std::array<QCheckBox*, encoder::kAudienceCount> RainCheckBox{};  // RainCheckBox1 ... RainCheckBox8
    TListCombo* RainComboBox1 = nullptr;                             // audio format
    TListCombo* RainComboBox2 = nullptr;                             // video quality
    // "Control"
    QLineEdit* Edit5 = nullptr;            // largest number of files, tag 20
    ui::ByteKeepingEdit* Edit7 = nullptr;  // temporary directory
    QPushButton* DirectoryButton = nullptr;
    // "Music Information"
    ui::ByteKeepingEdit* Edit1 = nullptr;  // Title
    ui::ByteKeepingEdit* Edit2 = nullptr;  // Author
    ui::ByteKeepingEdit* Edit3 = nullptr;  // Copyright
    ui::ByteKeepingEdit* Edit6 = nullptr;  // Description
    ui::ByteKeepingEdit* Edit4 = nullptr;  // Keywords

    QLabel* Image1 = nullptr;  // the face icon the main window gives at start
};

}  // namespace settings
