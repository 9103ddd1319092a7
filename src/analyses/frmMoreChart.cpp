#include "frmMoreChart.h"

#include "EventPump.h"
#include "Formats.h"
#include "Prompts.h"
#include "Selection.h"
#include "SettingsStore.h"
#include "frmFailurePareto.h"
#include "frmHistogram.h"
#include "frmPareto.h"
#include "frmScatter.h"
#include "frmScreening.h"
#include "frmStations.h"
#include "frmYield.h"
#include "ui_frmMoreChart.h"

namespace {

QString savedName(const char* valueName)
{
    return kSaveConfigKey + QLatin1String(valueName);
}

} // namespace

frmMoreChart::frmMoreChart(const AnalysisContext& context, const ChooserLists& lists, SettingsStore& settings,
                           QPrinter& printer, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmMoreChart>()), m_context(context), m_settings(settings),
      m_printer(printer)
{
    ui->setupUi(this);
    connect(ui->chkSeparateSource, &QCheckBox::toggled, this, &frmMoreChart::chkSeparateSource_Click);
    connect(ui->cmdHistogram, &QPushButton::clicked, this, &frmMoreChart::cmdHistogram_Click);
    connect(ui->cmdPareto, &QPushButton::clicked, this, &frmMoreChart::cmdPareto_Click);
    connect(ui->cmdScreening, &QPushButton::clicked, this, &frmMoreChart::cmdScreening_Click);
    connect(ui->cmdScatter, &QPushButton::clicked, this, &frmMoreChart::cmdScatter_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmMoreChart::cmdClose_Click);
    connect(ui->cmdYield, &QPushButton::clicked, this, &frmMoreChart::cmdYield_Click);
    connect(ui->cmdFailures, &QPushButton::clicked, this, &frmMoreChart::cmdFailures_Click);
    connect(ui->cmdStations, &QPushButton::clicked, this, &frmMoreChart::cmdStations_Click);

    const bool charts = !lists.parameters.isEmpty() && lists.productChosen;
    for (QWidget* w : {static_cast<QWidget*>(ui->cmdHistogram), static_cast<QWidget*>(ui->cmdPareto),
                       static_cast<QWidget*>(ui->cmdScreening), static_cast<QWidget*>(ui->cmdScatter),
                       static_cast<QWidget*>(ui->lblX), static_cast<QWidget*>(ui->lblY)}) {
        w->setEnabled(charts);
    }
    for (QPushButton* button : {ui->cmdYield, ui->cmdFailures, ui->cmdStations}) {
        button->setEnabled(charts);
    }
    // A scatter needs two parameters.
    if (lists.parameters.size() > 1) {
        for (QComboBox* box : {ui->cboDataParametersX, ui->cboDataParametersY}) {
            box->addItems(lists.parameters);
        }
        ui->cboDataParametersX->setCurrentIndex(0);
        ui->cboDataParametersY->setCurrentIndex(1);
    } else {
        for (QWidget* w : {static_cast<QWidget*>(ui->cboDataParametersX), static_cast<QWidget*>(ui->cboDataParametersY),
                           static_cast<QWidget*>(ui->cmdScatter), static_cast<QWidget*>(ui->lblX),
                           static_cast<QWidget*>(ui->lblY)}) {
            w->setEnabled(false);
        }
    }
    // Separate sources need two of them.
    QStringList sources = lists.sources;
    sources.removeAll(kAll);
    if (lists.sources.size() < 3) {
        ui->chkSeparateSource->setEnabled(false);
    } else {
        for (QComboBox* box : {ui->cboSourceX, ui->cboSourceY}) {
            box->addItems(sources);
        }
        ui->cboSourceX->setCurrentIndex(0);
        ui->cboSourceY->setCurrentIndex(1);
    }
    LoadChoices();
}

frmMoreChart::~frmMoreChart() = default;

void frmMoreChart::LoadChoices()
{
    const std::optional<double> separate = NumericValue(m_settings.read(savedName("SeparateSource")));
    ui->chkSeparateSource->setChecked(separate.value_or(0) != 0);
    const std::pair<QComboBox*, const char*> saved[] = {{ui->cboDataParametersX, "XParameter"},
                                                        {ui->cboDataParametersY, "YParameter"},
                                                        {ui->cboSourceX, "XSource"},
                                                        {ui->cboSourceY, "YSource"}};
    for (const auto& [box, name] : saved) {
        const int index = box->findText(m_settings.read(savedName(name)), Qt::MatchExactly);
        if (index >= 0) {
            box->setCurrentIndex(index); // a choice no longer in the list is passed over
        }
    }
}

void frmMoreChart::chkSeparateSource_Click()
{
    // The box decides alone, even when it is disabled for want of two sources and a saved choice
    // checked it: the choosers are then on and empty, and the scatter gets no sources.
    const bool on = ui->chkSeparateSource->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui->lblOnlySourceX), static_cast<QWidget*>(ui->lblOnlySourceY),
                       static_cast<QWidget*>(ui->cboSourceX), static_cast<QWidget*>(ui->cboSourceY)}) {
        w->setEnabled(on);
    }
}

void frmMoreChart::cmdHistogram_Click()
{
    frmHistogram window(m_context, m_printer, this);
    m_context.prompts.showModal(window);
}

void frmMoreChart::cmdPareto_Click()
{
    frmPareto window(m_context, m_printer, this);
    m_context.prompts.showModal(window);
}

// A parameter chosen there for its chart closes the chooser too, so that the chart shows.
void frmMoreChart::cmdScreening_Click()
{
    frmScreening window(m_context, this);
    if (m_context.prompts.showModal(window) == QDialog::Accepted) {
        accept();
    }
}

void frmMoreChart::cmdYield_Click()
{
    frmYield window(m_context, m_printer, this);
    m_context.prompts.showModal(window);
}

void frmMoreChart::cmdFailures_Click()
{
    frmFailurePareto window(m_context, m_printer, this);
    m_context.prompts.showModal(window);
}

void frmMoreChart::cmdStations_Click()
{
    frmStations window(m_context, m_printer, this);
    m_context.prompts.showModal(window);
}

void frmMoreChart::cmdScatter_Click()
{
    const bool separate = ui->chkSeparateSource->isChecked();
    ScatterInputs inputs;
    inputs.XSourceName = separate ? ui->cboSourceX->currentText() : QString();
    inputs.YSourceName = separate ? ui->cboSourceY->currentText() : QString();
    inputs.XParameterIndex = ui->cboDataParametersX->currentIndex();
    inputs.YParameterIndex = ui->cboDataParametersY->currentIndex();
    frmScatter window(m_context, inputs, m_printer, this);
    m_context.prompts.showModal(window);
}

void frmMoreChart::cmdClose_Click()
{
    const std::pair<const char*, QString> choices[] = {
        {"SeparateSource", ui->chkSeparateSource->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {"XParameter", ui->cboDataParametersX->currentText()},
        {"YParameter", ui->cboDataParametersY->currentText()},
        {"XSource", ui->cboSourceX->currentText()},
        {"YSource", ui->cboSourceY->currentText()},
    };
    for (const auto& [name, value] : choices) {
        m_settings.write(savedName(name), value);
    }
    accept();
}
