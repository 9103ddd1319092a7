#pragma once

#include <QDate>
#include <QDialog>
#include <memory>

class Prompts;
struct SharedState;

namespace Ui {
class frmRangePlot;
}

// The custom date range dialog: two month calendars, From and To. OK stores the range in the
// shared state; a reversed range is refused and clears the stored one.
class frmRangePlot : public QDialog
{
    Q_OBJECT

public:
    frmRangePlot(SharedState& state, Prompts& prompts, QWidget* parent = nullptr);
    ~frmRangePlot() override;

    // The date the calendars show when no custom range is set.
    static QDate defaultDate() { return {2002, 7, 1}; }

    QDate fromDate() const;
    QDate toDate() const;
    void setDates(const QDate& from, const QDate& to);

    void cmdDateEnterOK_Click();
    void cmdDateCancelOK_Click();

private:
    std::unique_ptr<Ui::frmRangePlot> ui;
    SharedState& m_state;
    Prompts& m_prompts;
};
