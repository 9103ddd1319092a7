// The main window's Auto Refresh: the chart of the last Start Plot follows the records the test
// stations add, and each new signal is announced once: flagged on the chart, listed in the
// "Signals" dock and told to the desktop.
#include "AutoRefresh.h"
#include "ChartControl.h"
#include "Clock.h"
#include "LiveChart.h"
#include "SignalNotifier.h"
#include "SignalsList.h"
#include "XBarChart.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QDockWidget>
#include <QStatusBar>
#include <exception>

namespace {

// How long a passing note stays in the status line.
constexpr int kNoteMilliseconds = 8000;
// The height the Signals dock opens with, in lines of text.
constexpr int kSignalsDockRows = 8;

} // namespace

void frmMain::connectLiveRefresh()
{
    m_autoRefresh = std::make_unique<AutoRefresh>(m_services.clock);
    m_autoRefresh->setIntervalSeconds(ui->spnRefreshInterval->value());
    m_refreshStatus = new QLabel(this);
    m_refreshStatus->setObjectName(QStringLiteral("lblRefreshStatus"));
    statusBar()->addPermanentWidget(m_refreshStatus);
    connect(m_autoRefresh.get(), &AutoRefresh::statusChanged, m_refreshStatus, &QLabel::setText);
    connect(m_autoRefresh.get(), &AutoRefresh::due, this, &frmMain::refreshLiveChart);
    connect(ui->chkAutoRefresh, &QCheckBox::toggled, m_autoRefresh.get(), &AutoRefresh::setEnabled);
    connect(ui->spnRefreshInterval, &QSpinBox::valueChanged, m_autoRefresh.get(), &AutoRefresh::setIntervalSeconds);

    m_signalsList = new SignalsList;
    m_signalsDock = new QDockWidget(QStringLiteral("Signals"), this);
    m_signalsDock->setObjectName(QStringLiteral("dockSignals"));
    m_signalsDock->setWidget(m_signalsList);
    addDockWidget(Qt::BottomDockWidgetArea, m_signalsDock);
    m_signalsDock->hide(); // until the first signal
    connect(m_signalsList, &SignalsList::pointChosen, this, &frmMain::goToSignal);

    m_notifier = std::make_unique<SignalNotifier>(m_services.beep);
    connect(ui->chkSignalSound, &QCheckBox::toggled, m_notifier.get(), &SignalNotifier::setSound);
}

void frmMain::stopFollowing()
{
    m_liveChart.reset();
    m_autoRefresh->setFollowing(false);
    m_signalsList->clearSignals();
}

void frmMain::followDrawnChart(const PlotRequest& request)
{
    if (!m_lastPlot->drawn || !m_lastPlot->live) {
        return;
    }
    m_liveChart = std::make_unique<LiveChart>(m_state, *m_xbarChart, m_constants, request, *m_lastPlot);
    m_autoRefresh->setFollowing(true);
    // New points arrive on the last page; with Auto Refresh on, that is the page to watch.
    if (ui->chkAutoRefresh->isChecked()) {
        goToPage(ui->ocxXBarChart->pageCount());
    }
}

void frmMain::refreshLiveChart()
{
    // A refresh never runs inside another, nor during a load (which ends the chart followed).
    if (!m_liveChart || m_refreshing) {
        return;
    }
    m_refreshing = true;
    RefreshOutcome outcome;
    try {
        outcome = m_liveChart->refresh(m_services.clock.today());
    } catch (const std::exception& e) {
        outcome.read = false;
        outcome.error = QString::fromLocal8Bit(e.what());
    }
    m_refreshing = false;
    if (!outcome.read) {
        m_autoRefresh->failed(outcome.error);
        return;
    }
    if (!outcome.error.isEmpty()) {
        statusBar()->showMessage(outcome.error, kNoteMilliseconds); // the raw-data listing fell behind
    }
    if (!outcome.panelText.isEmpty()) {
        ui->lblSPCParameter1->setText(outcome.panelText);
    }
    ui->lblLimits->setText(m_lastPlot->limits.summary());
    showSignals();
    if (outcome.newPoints > 0 || outcome.droppedPoints > 0) {
        m_xbarChart->WritePageLine(m_state.gChartTitle);
    }
    std::vector<LiveSignal> announced;
    for (const LiveSignal& signal : outcome.newSignals) {
        if (m_signalsList->add(signal)) {
            announced.push_back(signal);
        }
    }
    if (!announced.empty()) {
        if (m_signalsDock->isHidden()) {
            // A few rows under the chart, which keeps most of the height.
            m_signalsDock->show();
            resizeDocks({m_signalsDock}, {kSignalsDockRows * m_signalsList->fontMetrics().height()}, Qt::Vertical);
        }
        m_notifier->announce(announced, m_state.gChartTitle);
    }
    m_autoRefresh->refreshed(outcome.newRecords);
}

void frmMain::goToSignal(int series, qint64 sequence)
{
    ChartControl& chart = *ui->ocxXBarChart;
    const qint64 point = sequence - (m_liveChart ? m_liveChart->droppedPoints() : 0);
    if (point < 0 || point >= chart.pointCount(series)) {
        statusBar()->showMessage(QStringLiteral("The point has left the chart's range"), kNoteMilliseconds);
        return;
    }
    if (const int perPage = chart.maxPointsPerPage(); perPage > 0) {
        goToPage(static_cast<int>(point / perPage) + 1);
    }
    chart.markPoint(PointRef{series, point});
}
