#include "settings/PreferencesDialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/BrowseForDirectory.h"
#include "settings/IniFiles32.h"
#include "ui/ByteKeepingEdit.h"
#include "ui/FixedDialog.h"
#include "ui/Keyboard.h"
#include "ui/WindowFrame.h"

namespace settings {
namespace {
constexpr int kEdit5Tag = 20;
constexpr int kMaxFilesUpper = 1000;
constexpr int kMaxFilesLower = 1;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The audiences' access keys, in check-box order: none of them is taken by another control of the dialog.
constexpr std::array<char, encoder::kAudienceCount> kAudienceKeys{'2', '5', 'g', 'a', 'L', '6', '3', '1'};

// A label that names its field and moves the focus there with its access key.
QLabel* BuddyLabel(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

// A list that accepts typing is a list, a text field and, once opened, a list of choices for a screen
// reader; all three take the label's name.
void NameList(QComboBox* list, const QString& name) {
    list->setAccessibleName(name);
    list->lineEdit()->setAccessibleName(name);
    list->view()->setAccessibleName(name);
}
}  // namespace

// ---- TListCombo ----

TListCombo::TListCombo(QWidget* parent) : QComboBox(parent) {
    ui::NameListsByTheirLabels();
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(this, &QComboBox::activated, this, [this] { typed_ = false; });
}

int TListCombo::ItemIndex() const {
    return typed_ ? -1 : currentIndex();
}

void TListCombo::SetItemIndex(int index) {
    typed_ = false;
    if (index >= 0 && index < count()) {
        setCurrentIndex(index);
    } else {
        setCurrentIndex(-1);
        setEditText(QString());
    }
}

// ---- Number clamping ----

std::string ClampNumberText(const std::string& text, int tag, int maximum, int minimum) {
    const std::optional<std::int32_t> n = ParseInt32(text);
    if (!n)
        return std::to_string(tag);
    if (*n > maximum)
        return std::to_string(maximum);
    if (*n < minimum)
        return std::to_string(minimum);
    return std::to_string(*n);
}

void TfrmOption::ClampEditNumber(QLineEdit* edit, int maximum, int minimum) {
    const QString clamped =
        Q(ClampNumberText(S(edit->text()), edit->property("Tag").toInt(), maximum, minimum));
    // Setting the same text raises no further change, so this runs at most twice per keystroke.
    if (clamped != edit->text())
        edit->setText(clamped);
}

// ---- TfrmOption ----

TfrmOption::TfrmOption(QWidget* parent) : QDialog(parent) {
    ui::SetUpFixedDialog(*this, "frmOption", QStringLiteral("Preferences"), QSize(489, 385));

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(CreateMusicPage(), QStringLiteral("&Music"));
    PageControl1->addTab(CreateControlPage(), QStringLiteral("&Control"));
    PageControl1->addTab(CreateInformationPage(), QStringLiteral("Music &Information"));

    const ui::OkCancelRow buttons = ui::MakeOkCancelRow(*this);
    Image1 = buttons.faceIcon;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons.layout);

    connect(ComboBox1, &QComboBox::activated, this, &TfrmOption::ComboBox1Select);
    connect(Edit5, &QLineEdit::textChanged, this, &TfrmOption::Edit5Change);
    connect(DirectoryButton, &QPushButton::clicked, this, &TfrmOption::DirectoryButtonClick);
    ui::CentreOnEveryShowing(*this);
}

QWidget* TfrmOption::CreateMusicPage() {
    auto* page = Named(new QWidget, "TabSheet1");

    auto* scheme = new QGroupBox(QStringLiteral("&Scheme"), page);
    ComboBox1 = Named(new TListCombo(scheme), "ComboBox1");
    for (const SchemePreset& p : SchemePresets)
        ComboBox1->addItem(QString::fromLatin1(p.text));
    ComboBox1->SetItemIndex(-1);
    NameList(ComboBox1, QStringLiteral("Scheme"));
    (new QVBoxLayout(scheme))->addWidget(ComboBox1);

    auto* fileType = new QGroupBox(QStringLiteral("File Type"), page);
    RainRadioBox1 = Named(new QRadioButton(QStringLiteral("Single-&rate"), fileType), "RainRadioBox1");
    RainRadioBox2 =
        Named(new QRadioButton(QStringLiteral("M&ulti-rate SureStream"), fileType), "RainRadioBox2");
    ui::TabStopOnCheckedButton({RainRadioBox1, RainRadioBox2});
    auto* fileTypeLayout = new QVBoxLayout(fileType);
    fileTypeLayout->addWidget(RainRadioBox1);
    fileTypeLayout->addWidget(RainRadioBox2);
    fileTypeLayout->addStretch();

    auto* targets = new QGroupBox(QStringLiteral("Target Audience"), page);
    auto* targetLayout = new QVBoxLayout(targets);
    targetLayout->setSpacing(2);
    for (std::size_t i = 0; i < RainCheckBox.size(); ++i) {
        RainCheckBox[i] =
            new QCheckBox(ui::WithAccessKey(QString::fromLatin1(encoder::kTargetAudiences[i].caption),
                                            QLatin1Char(kAudienceKeys[i])),
                          targets);
        RainCheckBox[i]->setObjectName(QStringLiteral("RainCheckBox%1").arg(i + 1));
        targetLayout->addWidget(RainCheckBox[i]);
    }
    targetLayout->addStretch();

    auto* media = new QGroupBox(QStringLiteral("RealMedia Settings"), page);
    RainComboBox1 = Named(new TListCombo(media), "RainComboBox1");
    RainComboBox2 = Named(new TListCombo(media), "RainComboBox2");
    for (const encoder::StreamChoice& item : encoder::kAudioFormats)
        RainComboBox1->addItem(QString::fromLatin1(item.caption));
    for (const encoder::StreamChoice& item : encoder::kVideoQualities)
        RainComboBox2->addItem(QString::fromLatin1(item.caption));
    // Labels above the lists keep the page narrow enough for the audiences' long names beside it.
    auto* mediaLayout = new QVBoxLayout(media);
    mediaLayout->setSpacing(2);
    mediaLayout->addWidget(BuddyLabel(QStringLiteral("Audio &Format:"), RainComboBox1, media));
    mediaLayout->addWidget(RainComboBox1);
    mediaLayout->addSpacing(4);
    mediaLayout->addWidget(BuddyLabel(QStringLiteral("&Video Quality:"), RainComboBox2, media));
    mediaLayout->addWidget(RainComboBox2);
    NameList(RainComboBox1, QStringLiteral("Audio Format"));
    NameList(RainComboBox2, QStringLiteral("Video Quality"));

    auto* grid = new QGridLayout(page);
    grid->setVerticalSpacing(4);
    grid->addWidget(scheme, 0, 0, 1, 2);
    grid->addWidget(fileType, 1, 0);
    grid->addWidget(media, 2, 0);
    grid->addWidget(targets, 1, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    return page;
}

QWidget* TfrmOption::CreateControlPage() {
    auto* page = Named(new QWidget, "TabSheet2");
    Edit5 = Named(new QLineEdit(page), "Edit5");
    Edit5->setProperty("Tag", kEdit5Tag);
    Edit5->setMaximumWidth(80);
    Edit7 = Named(new ui::ByteKeepingEdit(page), "Edit7");
    DirectoryButton = Named(new QPushButton(QStringLiteral("&Directory"), page), "DirectoryButton");
    DirectoryButton->setAutoDefault(false);

    auto* temp = new QHBoxLayout;
    temp->addWidget(Edit7, 1);
    temp->addWidget(DirectoryButton);
    auto* form = new QFormLayout(page);
    // A row given a text makes its label the field's buddy; the directory's row holds two controls, so
    // its label is made by hand.
    form->addRow(QStringLiteral("Ma&x conver file:"), Edit5);
    form->addRow(BuddyLabel(QStringLiteral("&Temporary Directory:"), Edit7, page), temp);
    return page;
}

QWidget* TfrmOption::CreateInformationPage() {
    auto* page = Named(new QWidget, "TabSheet3");
    auto* box = new QGroupBox(QStringLiteral("Music Information"), page);
    Edit1 = Named(new ui::ByteKeepingEdit(box), "Edit1");
    Edit2 = Named(new ui::ByteKeepingEdit(box), "Edit2");
    Edit3 = Named(new ui::ByteKeepingEdit(box), "Edit3");
    Edit6 = Named(new ui::ByteKeepingEdit(box), "Edit6");
    Edit4 = Named(new ui::ByteKeepingEdit(box), "Edit4");
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("Titl&e:"), Edit1);
    form->addRow(QStringLiteral("Aut&hor:"), Edit2);
    form->addRow(QStringLiteral("C&opyright:"), Edit3);
    form->addRow(QStringLiteral("Descri&ption:"), Edit6);
    form->addRow(QStringLiteral("&Keywords:"), Edit4);
    (new QVBoxLayout(page))->addWidget(box);
    return page;
}

bool TfrmOption::Execute(TSettings& s) {
    PageControl1->setCurrentIndex(0);
    LoadControls(s);
    if (exec() != QDialog::Accepted)
        return false;
    StoreControls(s);
    return true;
}

void TfrmOption::LoadControls(const TSettings& s) {
    (s.filetype != 0 ? RainRadioBox2 : RainRadioBox1)->setChecked(true);
    for (std::size_t i = 0; i < RainCheckBox.size(); ++i)
        RainCheckBox[i]->setChecked(s.*AudienceFlags[i]);
    RainComboBox1->SetItemIndex(s.AudioFormat);
    RainComboBox2->SetItemIndex(s.VideoQuality);
    Edit1->SetBytes(s.Title);
    Edit2->SetBytes(s.Auther);
    Edit3->SetBytes(s.Copyright);
    Edit4->SetBytes(s.Keywords);
    Edit6->SetBytes(s.Description);
    Edit7->SetBytes(s.TempDirectory);
    Edit5->setText(QString::number(s.MaxConverFile));  // the change handler clamps it at once
}

void TfrmOption::StoreControls(TSettings& s) const {
    s.filetype = RainRadioBox1->isChecked() ? 0 : 1;
    for (std::size_t i = 0; i < RainCheckBox.size(); ++i)
        s.*AudienceFlags[i] = RainCheckBox[i]->isChecked();
    s.AudioFormat = RainComboBox1->ItemIndex();
    s.VideoQuality = RainComboBox2->ItemIndex();
    s.Title = Edit1->Bytes();
    s.Auther = Edit2->Bytes();
    s.Copyright = Edit3->Bytes();
    s.Keywords = Edit4->Bytes();
    s.Description = Edit6->Bytes();
    s.TempDirectory = Edit7->Bytes();
    s.MaxConverFile = ParseInt32(S(Edit5->text())).value_or(kEdit5Tag);
}

void TfrmOption::ClearTargets() {
    for (QCheckBox* box : RainCheckBox)
        box->setChecked(false);
}

void TfrmOption::ComboBox1Select() {
    ClearTargets();
    const int index = ComboBox1->ItemIndex();
    if (index < 0 || index >= SchemePresetCount)
        return;
    const SchemePreset& p = SchemePresets[static_cast<std::size_t>(index)];
    RainRadioBox1->setChecked(true);
    RainComboBox1->SetItemIndex(static_cast<int>(p.audioFormat));
    RainComboBox2->SetItemIndex(static_cast<int>(p.videoQuality));
    RainCheckBox[static_cast<std::size_t>(p.audience)]->setChecked(true);
}

void TfrmOption::Edit5Change() {
    ClampEditNumber(Edit5, kMaxFilesUpper, kMaxFilesLower);
}

void TfrmOption::DirectoryButtonClick() {
    std::string directory = Edit7->Bytes();
    if (BrowseForDirectory("Select the Directory", directory))
        Edit7->SetBytes(directory);
}

}  // namespace settings
