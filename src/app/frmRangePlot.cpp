#include "frmRangePlot.h"

#include "Prompts.h"
#include "SharedState.h"
#include "ui_frmRangePlot.h"

frmRangePlot::frmRangePlot(SharedState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmRangePlot>()), m_state(state), m_prompts(prompts)
{
    ui->setupUi(this);
    if (m_state.gCustomDateTo.isValid()) {
        setDates(m_state.gCustomDateFrom, m_state.gCustomDateTo);
    } else {
        setDates(defaultDate(), defaultDate());
    }
    connect(ui->cmdDateEnterOK, &QPushButton::clicked, this, &frmRangePlot::cmdDateEnterOK_Click);
    connect(ui->cmdDateCancelOK, &QPushButton::clicked, this, &frmRangePlot::cmdDateCancelOK_Click);
}

frmRangePlot::~frmRangePlot() = default;

QDate frmRangePlot::fromDate() const
{
    return ui->ocxDateFrom1->selectedDate();
}

QDate frmRangePlot::toDate() const
{
    return ui->ocxDateTo1->selectedDate();
}

void frmRangePlot::setDates(const QDate& from, const QDate& to)
{
    // A saved end without a usable start shows the default date in the From calendar.
    ui->ocxDateFrom1->setSelectedDate(from.isValid() ? from : defaultDate());
    ui->ocxDateTo1->setSelectedDate(to);
}

void frmRangePlot::cmdDateEnterOK_Click()
{
    const QDate from = fromDate();
    const QDate to = toDate();
    if (from > to) {
        m_prompts.message(QStringLiteral("From-Date must be earlier or same as To-Date!"), MsgIcon::Exclamation,
                          MsgButtons::OK);
        m_state.gCustomDateTo = QDate();
        m_state.gCustomDateFrom = QDate();
        return;
    }
    m_state.gCustomDateFrom = from;
    m_state.gCustomDateTo = to;
    accept();
}

void frmRangePlot::cmdDateCancelOK_Click()
{
    reject();
}
