#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmTitle;
}

// The splash window shown while the program starts and while it closes.
class frmTitle : public QWidget
{
    Q_OBJECT

public:
    explicit frmTitle(QWidget* parent = nullptr);
    ~frmTitle() override;

    QString versionText() const;

private:
    std::unique_ptr<Ui::frmTitle> ui;
};
