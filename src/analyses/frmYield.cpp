#include "frmYield.h"

#include "ChartWindowButtons.h"
#include "ChartWindowOutput.h"
#include "Formats.h"
#include "YieldChart.h"
#include "ui_frmYield.h"

#include <QStandardItemModel>

namespace {
constexpr int kNpItem = 1;
const RuleSet kRuleSets[] = {RuleSet::None, RuleSet::WesternElectric, RuleSet::Nelson};
} // namespace

frmYield::frmYield(const AnalysisContext& context, QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmYield>()), m_context(context)
{
    ui->setupUi(this);
    m_chart = std::make_unique<YieldChart>(*ui->ocxYield);
    m_output = std::make_unique<ChartWindowOutput>(*ui->ocxYield, m_context.prompts, m_context.clock, *ui->cmdExport,
                                                   *ui->cmdPrintChart);
    ConnectChartWindowButtons(*this, *m_output, printer, *ui->cmdExport, *ui->cmdPrintChart, *ui->cmdClose);
    ui->cboRules->setCurrentIndex(1); // Western Electric
    ui->ocxYield->setPointToolTips([this](const PointRef& p) { return PointToolTip(p.series, p.point); });

    m_units = ReadYieldUnits(m_context);
    if (m_units.outcome == AnalysisOutcome::Drawn) {
        DrawChosenChart();
    }
    for (QComboBox* box : {ui->cboChartKind, ui->cboGroup, ui->cboRules}) {
        connect(box, &QComboBox::activated, this, &frmYield::DrawChosenChart);
    }
    connect(ui->txtGroupUnits, &QSpinBox::editingFinished, this, &frmYield::DrawChosenChart);
    connect(ui->chkFinal, &QCheckBox::toggled, this, &frmYield::DrawChosenChart);
}

frmYield::~frmYield() = default;

YieldOptions frmYield::ChosenOptions() const
{
    YieldOptions options;
    options.np = ui->cboChartKind->currentIndex() == kNpItem;
    options.final = ui->chkFinal->isChecked();
    options.grouping.kind = static_cast<UnitGrouping::Kind>(ui->cboGroup->currentIndex());
    options.grouping.units = ui->txtGroupUnits->value();
    options.rules = kRuleSets[std::max(ui->cboRules->currentIndex(), 0)];
    return options;
}

void frmYield::DrawChosenChart()
{
    ui->txtGroupUnits->setEnabled(ui->cboGroup->currentIndex() == int(UnitGrouping::Kind::Units));
    if (m_units.outcome != AnalysisOutcome::Drawn) {
        return;
    }
    YieldOptions options = ChosenOptions();
    const QList<AttributeSubgroup> subgroups = GroupUnits(m_units.counted(options.final), options.grouping);
    // The np chart is offered only for subgroups of one size.
    const bool npOffered = !subgroups.isEmpty() && HasCommonSize(subgroups);
    if (auto* model = qobject_cast<QStandardItemModel*>(ui->cboChartKind->model())) {
        model->item(kNpItem)->setEnabled(npOffered);
    }
    if (options.np && !npOffered) {
        ui->cboChartKind->setCurrentIndex(0);
        options.np = false;
    }
    ui->ocxYield->undoZoom();
    m_result = DrawYield(m_context, subgroups, options, *m_chart);
    ui->lblSPCParameter->setText(YieldPanelCaptions(options.final).join(QStringLiteral("\r\n")));
    ui->lblSPCParameter1->setText(m_result.panelText);
}

QString frmYield::PointToolTip(int series, qint64 point) const
{
    if (series != YieldChart::kDataSeries || point < 0 || point >= qint64(m_result.chart.points.size())) {
        return {};
    }
    const AttributePoint& p = m_result.chart.points[static_cast<size_t>(point)];
    QString text = QStringLiteral("%1: %2 of %3 failed")
                       .arg(p.label, FormatNumber(double(p.failed), QStringLiteral("#,##0")),
                            FormatNumber(double(p.n), QStringLiteral("#,##0")));
    const RuleSet set = ChosenOptions().rules;
    for (const int rule : RulesOf(m_result.marked.value(point))) {
        text += QStringLiteral("\nRule %1: %2")
                    .arg(rule)
                    .arg(set == RuleSet::None ? QStringLiteral("beyond a control limit") : RuleDescription(set, rule));
    }
    return text;
}
