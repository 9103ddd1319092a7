#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

// The About window: the program's name and version.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    QString nameText() const;

private:
    std::unique_ptr<Ui::frmAbout> ui;
};
