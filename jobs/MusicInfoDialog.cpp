#include "jobs/MusicInfoDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/ByteKeepingEdit.h"
#include "ui/FixedDialog.h"
#include "ui/WindowFrame.h"

namespace jobs {
namespace {
ui::ByteKeepingEdit* NamedEdit(QWidget* parent, const char* name) {
    auto* edit = new ui::ByteKeepingEdit(parent);
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

    const ui::OkCancelRow buttons = ui::MakeOkCancelRow(*this);
    Image1 = buttons.faceIcon;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons.layout);
    ui::CentreOnEveryShowing(*this);
}

bool TfrmInfo::Execute(tListType& job) {
    Edit1->SetBytes(job.Title);
    Edit2->SetBytes(job.Author);
    Edit3->SetBytes(job.Copyright);
    Edit4->SetBytes(job.Keywords);
    Edit5->SetBytes(job.Description);
    if (exec() != QDialog::Accepted)
        return false;
    job.Title = Edit1->Bytes();
    job.Author = Edit2->Bytes();
    job.Copyright = Edit3->Bytes();
    job.Keywords = Edit4->Bytes();
    job.Description = Edit5->Bytes();
    return true;
}

}  // namespace jobs
