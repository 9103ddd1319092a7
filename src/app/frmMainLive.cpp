// The main window's Auto Refresh: the chart of the last Start Plot follows the records the test
// stations add, and new signals are announced once.
#include "AutoRefresh.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QStatusBar>

void frmMain::connectLiveRefresh()
{
    m_autoRefresh = std::make_unique<AutoRefresh>(m_services.clock);
    m_autoRefresh->setIntervalSeconds(ui->spnRefreshInterval->value());
    m_refreshStatus = new QLabel(this);
    m_refreshStatus->setObjectName(QStringLiteral("lblRefreshStatus"));
    statusBar()->addPermanentWidget(m_refreshStatus);
    connect(m_autoRefresh.get(), &AutoRefresh::statusChanged, m_refreshStatus, &QLabel::setText);
    connect(ui->chkAutoRefresh, &QCheckBox::toggled, m_autoRefresh.get(), &AutoRefresh::setEnabled);
    connect(ui->spnRefreshInterval, &QSpinBox::valueChanged, m_autoRefresh.get(), &AutoRefresh::setIntervalSeconds);
}
