#include "jobs/OutputDirectoryDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Dialogs.h"
#include "platform/core/Paths.h"
#include "settings/BrowseForDirectory.h"
#include "ui/FixedDialog.h"
#include "ui/Keyboard.h"

namespace jobs {

std::string DestinationIn(const std::string& directory, const std::string& source) {
    return platform::ChangeExtToRm(directory + platform::PathDelimiter + platform::ExtractFileName(source));
}

namespace {
// Without its trailing delimiter the root folder is an empty name, which names no folder; the edit shows
// it as the root, so that OK accepts the folder the jobs already use.
QString ShownDirectory(const std::string& directory) {
    return directory.empty() ? QString(QChar::fromLatin1(platform::PathDelimiter))
                             : QString::fromStdString(directory);
}
}  // namespace

TOutputForm::TOutputForm(QWidget* parent) : QDialog(parent) {
    ui::SetUpFixedDialog(*this, "OutputForm", QStringLiteral("Output File Dialog"), QSize(377, 171));
    move(209, 167);

    GroupBox1 = new QGroupBox(QStringLiteral("Destination file directory"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 361, 113);
    RadioButton1 = new QRadioButton(QStringLiteral("&Same as source file directory "), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(16, 24, 200, 17);
    RadioButton2 = new QRadioButton(QStringLiteral("&Other directory"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(16, 48, 160, 17);
    DirectoryText = new QLineEdit(GroupBox1);
    DirectoryText->setObjectName(QStringLiteral("DirectoryText"));
    DirectoryText->setGeometry(32, 72, 233, 25);
    DirectoryText->setAccessibleName(QStringLiteral("Other directory"));
    DirectoryButton = new QPushButton(QStringLiteral("&Directory"), GroupBox1);
    DirectoryButton->setObjectName(QStringLiteral("DirectoryButton"));
    DirectoryButton->setGeometry(272, 72, 75, 25);
    DirectoryButton->setAutoDefault(false);

    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(200, 136, 75, 25);
    Button2->setDefault(true);
    Button3 = new QPushButton(QStringLiteral("Cancel"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(280, 136, 75, 25);
    Button3->setAutoDefault(false);

    ui::TabStopOnCheckedButton({RadioButton1, RadioButton2});
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, DirectoryText);
    setTabOrder(DirectoryText, DirectoryButton);
    setTabOrder(DirectoryButton, Button2);
    setTabOrder(Button2, Button3);

    connect(RadioButton1, &QRadioButton::clicked, this, &TOutputForm::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TOutputForm::RadioButton2Click);
    connect(DirectoryButton, &QPushButton::clicked, this, &TOutputForm::DirectoryButtonClick);
    connect(Button2, &QPushButton::clicked, this, &TOutputForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TOutputForm::Button3Click);
}

void TOutputForm::RadioButton1Click() {
    SelectSameAsSource();
}

void TOutputForm::RadioButton2Click() {
    SelectOtherDirectory();
}

void TOutputForm::SelectSameAsSource() {
    RadioButton1->setChecked(true);
    DirectoryText->setEnabled(false);
    DirectoryButton->setEnabled(false);
    DirectoryText->setText(ShownDirectory(directory_));
}

void TOutputForm::SelectOtherDirectory() {
    RadioButton2->setChecked(true);
    DirectoryText->setEnabled(true);
    DirectoryButton->setEnabled(true);
    DirectoryText->setText(ShownDirectory(directory_));
}

void TOutputForm::DirectoryButtonClick() {
    std::string directory = DirectoryText->text().toStdString();
    if (settings::BrowseForDirectory("Select the Directory", directory))
        DirectoryText->setText(QString::fromStdString(directory));
}

void TOutputForm::Button2Click() {
    if (RadioButton2->isChecked()) {
        const std::string text = DirectoryText->text().toStdString();
        if (!platform::DirectoryExists(text)) {
            platform::MessageBox::ShowMessage("Invalidation directory.");
            return;
        }
        // A relative name would follow the program's working folder; the destinations need the folder
        // the user saw.
        const QFileInfo info(QString::fromStdString(text));
        const std::string absolute =
            info.isAbsolute() ? text : QDir::cleanPath(info.absoluteFilePath()).toStdString();
        directory_ = platform::RemoveTrailingDelimiter(absolute);
    }
    accept();
}

void TOutputForm::Button3Click() {
    reject();
}

bool TOutputForm::Execute(const std::string& directory, bool sameAsSource) {
    directory_ = directory;
    if (sameAsSource) {
        SelectSameAsSource();
    } else {
        SelectOtherDirectory();
    }
    return exec() == QDialog::Accepted;
}

bool TOutputForm::SameAsSource() const {
    return RadioButton1->isChecked();
}

void SetOutputDirectory(JobListView& jobs, TOutputForm& form) {
    const int first = jobs.FirstSelectedRow();
    if (first < 0) {
        platform::MessageBox::ShowMessage("You must choose a item.");
        return;
    }
    const tListType& job = jobs.Jobs()[static_cast<std::size_t>(first)];
    const std::string directory = platform::RemoveTrailingDelimiter(platform::ExtractFilePath(job.DestFile));
    const std::string sourceDirectory =
        platform::RemoveTrailingDelimiter(platform::ExtractFilePath(job.SourceFile));
    if (!form.Execute(directory, directory == sourceDirectory))
        return;

    TJobList& list = jobs.Jobs();
    const bool sameAsSource = form.SameAsSource();
    for (int k = 0; k < jobs.RowCount() && k < static_cast<int>(list.size()); ++k) {
        if (!jobs.IsSelected(k))
            continue;
        tListType& target = list[static_cast<std::size_t>(k)];
        target.DestFile = sameAsSource ? platform::ChangeExtToRm(target.SourceFile)
                                       : DestinationIn(form.Directory(), target.SourceFile);
    }
    jobs.RefreshSelectedRows();
}

}  // namespace jobs
