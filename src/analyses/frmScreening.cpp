#include "frmScreening.h"

#include "OutputFile.h"
#include "Prompts.h"
#include "ScreeningModel.h"
#include "ui_frmScreening.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

frmScreening::frmScreening(const AnalysisContext& context, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmScreening>()), m_context(context), m_model(new ScreeningModel(this)),
      m_proxy(new ScreeningSortProxy(this))
{
    ui->setupUi(this);
    m_proxy->setSourceModel(m_model);
    ui->tblScreening->setModel(m_proxy);
    ui->cmdStop->setEnabled(false);
    ui->cmdExportCsv->setEnabled(false);
    connect(ui->txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterFixedString(text);
        showCount();
    });
    connect(ui->cmdStop, &QPushButton::clicked, this, [this] { m_stopRequested = true; });
    connect(ui->cmdExportCsv, &QPushButton::clicked, this, &frmScreening::cmdExportCsv_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmScreening::reject);
    connect(ui->tblScreening, &QTableView::doubleClicked, this, &frmScreening::tblScreening_DoubleClick);
}

frmScreening::~frmScreening() = default;

void frmScreening::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_screened) {
        m_screened = true;
        QTimer::singleShot(0, this, &frmScreening::Screen);
    }
}

void frmScreening::reject()
{
    // Closing while the data are read stops the reading first; the window closes after it.
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

void frmScreening::setRunning(bool running)
{
    m_running = running;
    ui->cmdStop->setEnabled(running);
    ui->cmdExportCsv->setEnabled(!running && !m_result.rows.isEmpty());
    ui->prgScreening->setVisible(running);
}

void frmScreening::Screen()
{
    m_stopRequested = false;
    ui->lblStatus->setText(QStringLiteral("Querying…"));
    setRunning(true);
    m_result = ScreenParameters(m_context, [this](const QString& status, qint64 done, qint64 total) {
        ui->lblStatus->setText(status);
        ui->prgScreening->setMaximum(static_cast<int>(std::min<qint64>(total, 1'000'000'000))); // 0: busy
        ui->prgScreening->setValue(static_cast<int>(std::min<qint64>(done, 1'000'000'000)));
        return !m_stopRequested;
    });
    m_model->setRows(m_result.rows);
    ui->tblScreening->sortByColumn(-1, Qt::AscendingOrder); // the result's order: worst first
    ui->tblScreening->resizeColumnsToContents();
    setRunning(false);
    showCount();
}

void frmScreening::showCount()
{
    if (m_running) {
        return;
    }
    if (m_result.stopped || m_result.outcome != AnalysisOutcome::Drawn) {
        ui->lblStatus->setText(m_result.stopped ? QStringLiteral("Stopped.") : QString());
        return;
    }
    // "7 parameters", or "3 of 7 parameters" while the filter hides some.
    const qsizetype all = m_result.rows.size();
    const int shown = m_proxy->rowCount();
    const QString parameters = shown == all ? QString::number(all) : QStringLiteral("%1 of %2").arg(shown).arg(all);
    ui->lblStatus->setText(
        QStringLiteral("%1 parameters, %2 records.").arg(parameters, QLocale().toString(m_result.records)));
}

void frmScreening::cmdExportCsv_Click()
{
    const QString path =
        m_context.prompts.saveFileName(QStringLiteral("Export Screening"), QStringLiteral("CSV file (*.csv)|*.csv"),
                                       QDir::current().filePath(QStringLiteral("screening.csv")));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo::exists(path) &&
        m_context.prompts.message(QStringLiteral("Overwrite the existing file?"), MsgIcon::Exclamation,
                                  MsgButtons::YesNo) != MsgAnswer::Yes) {
        return;
    }
    QString error;
    if (!WriteOutputFile(path, ScreeningCsv(m_result), &error)) {
        m_context.prompts.message(error + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    }
}

void frmScreening::tblScreening_DoubleClick(const QModelIndex& index)
{
    if (!index.isValid() || !m_context.chartParameter) {
        return;
    }
    m_context.chartParameter(m_model->row(m_proxy->mapToSource(index).row()).parameter);
    accept();
}
