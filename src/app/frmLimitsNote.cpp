#include "frmLimitsNote.h"

#include "ui_frmLimitsNote.h"

#include <QPushButton>

frmLimitsNote::frmLimitsNote(const QString& caption, const QString& description, const QString& noteCaption,
                             QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmLimitsNote>())
{
    ui->setupUi(this);
    setWindowTitle(caption);
    ui->lblDescription->setText(description);
    ui->lblNote->setText(noteCaption);
    connect(ui->cmdButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->cmdButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

frmLimitsNote::~frmLimitsNote() = default;

QString frmLimitsNote::description() const
{
    return ui->lblDescription->text();
}

QString frmLimitsNote::note() const
{
    return ui->txtNote->text().trimmed();
}

void frmLimitsNote::setNote(const QString& text)
{
    ui->txtNote->setText(text);
}
