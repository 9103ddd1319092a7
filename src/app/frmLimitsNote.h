#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmLimitsNote;
}

// Asks for the note of a change to the control limits before it is stored: what is about to be
// stored, and one line of text (a freeze's comment, a stage's name). OK accepts.
class frmLimitsNote : public QDialog
{
    Q_OBJECT

public:
    frmLimitsNote(const QString& caption, const QString& description, const QString& noteCaption,
                  QWidget* parent = nullptr);
    ~frmLimitsNote() override;

    QString description() const;
    QString note() const;
    void setNote(const QString& text);

private:
    std::unique_ptr<Ui::frmLimitsNote> ui;
};
