#pragma once
#include <QComboBox>
#include <QDialog>
#include <array>
#include <map>
#include <string>

#include "settings/SchemePresets.h"
#include "settings/Settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

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
// never reads or writes Settings itself.
class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return Image1; }
    explicit TfrmOption(QWidget* parent = nullptr);

    bool Accepted = false;

    QTabWidget* PageControl1 = nullptr;
    // "Music"
    TListCombo* ComboBox1 = nullptr;                       // Scheme
    QRadioButton* RainRadioBox1 = nullptr;                 // "Single-rate"
    QRadioButton* RainRadioBox2 = nullptr;                 // "Multi-rate SureStream"
    std::array<QCheckBox*, AudienceCount> RainCheckBox{};  // RainCheckBox1 ... RainCheckBox8
    TListCombo* RainComboBox1 = nullptr;                   // audio format
    TListCombo* RainComboBox2 = nullptr;                   // video quality
    // "Control"
    QLineEdit* Edit5 = nullptr;  // largest number of files, tag 20
    QLineEdit* Edit7 = nullptr;  // temporary directory
    QPushButton* DirectoryButton = nullptr;
    // "Music Information"
    QLineEdit* Edit1 = nullptr;  // Title
    QLineEdit* Edit2 = nullptr;  // Author
    QLineEdit* Edit3 = nullptr;  // Copyright
    QLineEdit* Edit6 = nullptr;  // Description
    QLineEdit* Edit4 = nullptr;  // Keywords

    QLabel* Image1 = nullptr;        // the face icon the main window gives at start
    QPushButton* Button1 = nullptr;  // OK
    QPushButton* Button2 = nullptr;  // Cancel

    // The whole opening: clears Accepted, shows the Music tab, fills every control but the Scheme list
    // from `s`, shows the dialog modally and, if OK was pressed, copies the controls back into `s`.
    // Returns Accepted.
    bool Execute(TSettings& s);

    void LoadControls(const TSettings& s);
    void StoreControls(TSettings& s) const;

    void ComboBox1Select();
    void Edit5Change();
    void DirectoryButtonClick();
    void Button1Click();
    void Button2Click();
    void ClearTargets();
    static void ClampEditNumber(QLineEdit* edit, int maximum, int minimum);

  private:
    // A text field shows its bytes as text; a field the user left as shown gives back the very bytes it
    // was filled with, whatever their encoding, instead of the text's own re-encoding.
    void SetEditBytes(QLineEdit* edit, const std::string& bytes);
    std::string EditBytes(const QLineEdit* edit) const;
    struct FilledText {
        std::string bytes;
        QString shown;
    };
    std::map<const QLineEdit*, FilledText> filled_;

    QWidget* CreateMusicPage();
    QWidget* CreateControlPage();
    QWidget* CreateInformationPage();
};

}  // namespace settings
