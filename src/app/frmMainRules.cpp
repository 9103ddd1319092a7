// The main window's run rules: the choice, and what it shows of the drawing on the chart.
#include "ChartControl.h"
#include "ControlChartLoader.h"
#include "XBarChart.h"
#include "frmMain.h"
#include "ui_frmMain.h"

namespace {

// The rule sets of the list, in its order, by their saved names.
const QStringList kRuleSetNames{QStringLiteral("we"), QStringLiteral("nelson")};

} // namespace

void frmMain::connectRunRules()
{
    connect(ui->chkRunRules, &QCheckBox::toggled, this, &frmMain::runRulesChanged);
    connect(ui->cboRuleSet, &QComboBox::activated, this, &frmMain::runRulesChanged);
    ui->ocxXBarChart->setPointToolTips(
        [this](const PointRef& point) { return m_lastPlot->outOfControl.describe(point.series, point.point); });
}

RuleSet frmMain::chosenRuleSet() const
{
    if (!ui->chkRunRules->isChecked()) {
        return RuleSet::None;
    }
    return RuleSetFromName(kRuleSetNames.value(ui->cboRuleSet->currentIndex())).value_or(RuleSet::WesternElectric);
}

void frmMain::restoreRunRules(const QString& enabled, const QString& ruleSet)
{
    ui->chkRunRules->setChecked(enabled.trimmed() == QLatin1String("1"));
    ui->cboRuleSet->setCurrentIndex(std::max<qsizetype>(kRuleSetNames.indexOf(ruleSet.trimmed().toLower()), 0));
}

QString frmMain::savedRuleSet() const
{
    return kRuleSetNames.value(ui->cboRuleSet->currentIndex());
}

// The drawing on the chart judged again by the new choice, without loading it again.
void frmMain::runRulesChanged()
{
    if (m_lastPlot->drawn) {
        m_lastPlot->outOfControl = JudgeControlChart(*ui->ocxXBarChart, chosenRuleSet(), m_lastPlot->limits);
        FlagSignals(*ui->ocxXBarChart, m_lastPlot->outOfControl);
    }
    showSignals();
}

void frmMain::showSignals()
{
    const bool shown = m_lastPlot->drawn && chosenRuleSet() != RuleSet::None;
    ui->lblSignals->setText(shown ? m_lastPlot->outOfControl.summary().text() : QString());
}
