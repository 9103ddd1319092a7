#include "frmTitle.h"

#include "VersionText.h"
#include "ui_frmTitle.h"

frmTitle::frmTitle(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), ui(std::make_unique<Ui::frmTitle>())
{
    ui->setupUi(this);
    ui->imgLogo->setPixmap(TessalyLogo());
    ui->lblVersion->setText(QStringLiteral("Tessaly Pro Version: ") + VersionText());
}

frmTitle::~frmTitle() = default;

QString frmTitle::versionText() const
{
    return ui->lblVersion->text();
}
