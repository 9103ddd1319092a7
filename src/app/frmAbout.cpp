#include "frmAbout.h"

#include "VersionText.h"
#include "ui_frmAbout.h"

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    ui->imgLogo->setPixmap(TessalyLogo());
    ui->lblTessaly->setText(QStringLiteral("Tessaly Pro ") + VersionText());
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

frmAbout::~frmAbout() = default;

QString frmAbout::nameText() const
{
    return ui->lblTessaly->text();
}
