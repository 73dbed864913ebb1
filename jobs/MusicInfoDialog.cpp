#include "jobs/MusicInfoDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/FixedDialog.h"
#include "ui/WindowFrame.h"

namespace jobs {
namespace {
QLineEdit* NamedEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}
}  // namespace

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    ui::SetUpFixedDialog(*this, "frmInfo", QStringLiteral("Music Information"), QSize(358, 292));

    // Screen and tab order: Title, Author, Copyright, Description, Keywords.
    Edit1 = NamedEdit(this, "Edit1");
    Edit2 = NamedEdit(this, "Edit2");
    Edit3 = NamedEdit(this, "Edit3");
    Edit5 = NamedEdit(this, "Edit5");
    Edit4 = NamedEdit(this, "Edit4");
    auto* form = new QFormLayout;
    form->setVerticalSpacing(12);
    form->addRow(QStringLiteral("&Title:"), Edit1);
    form->addRow(QStringLiteral("&Author:"), Edit2);
    form->addRow(QStringLiteral("&Copyright:"), Edit3);
    form->addRow(QStringLiteral("&Description:"), Edit5);
    form->addRow(QStringLiteral("&Keywords:"), Edit4);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(41, 33);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAccessibleName(QStringLiteral("Face icon"));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Image1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TfrmInfo::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmInfo::Button2Click);
    ui::CentreOnEveryShowing(*this);
}

bool TfrmInfo::Execute(tListType& job) {
    Accepted = false;
    Edit1->setText(QString::fromStdString(job.Title));
    Edit2->setText(QString::fromStdString(job.Author));
    Edit3->setText(QString::fromStdString(job.Copyright));
    Edit4->setText(QString::fromStdString(job.Keywords));
    Edit5->setText(QString::fromStdString(job.Description));
    exec();
    if (Accepted) {
        job.Title = Edit1->text().toStdString();
        job.Author = Edit2->text().toStdString();
        job.Copyright = Edit3->text().toStdString();
        job.Keywords = Edit4->text().toStdString();
        job.Description = Edit5->text().toStdString();
    }
    return Accepted;
}

void TfrmInfo::Button1Click() {
    Accepted = true;
    accept();
}

void TfrmInfo::Button2Click() {
    reject();
}

}  // namespace jobs
