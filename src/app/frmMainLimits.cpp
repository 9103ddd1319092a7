// The main window's frozen limits and stages: freezing the chart drawn now, drawing with a
// frozen set, clearing it, and stage starts set at a point of the chart.
#include "BusyCursor.h"
#include "ChartControl.h"
#include "Clock.h"
#include "ControlChartLoader.h"
#include "EventPump.h"
#include "FrozenLimits.h"
#include "Prompts.h"
#include "frmLimitsNote.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QMenu>
#include <QStatusBar>

namespace {

QString stampText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

void frmMain::connectLimits()
{
    connect(ui->cmdFreezeLimits, &QPushButton::clicked, this, &frmMain::cmdFreezeLimits_Click);
    connect(ui->cmdClearLimits, &QPushButton::clicked, this, &frmMain::cmdClearLimits_Click);
    // After the product's own reaction: the folder may be another one now.
    connect(ui->cboProductName, &QComboBox::activated, this, [this] {
        readLimitFile();
        showLimitControls();
    });
    for (QComboBox* box : {ui->cboDataParameters, ui->cboATEList}) {
        connect(box, &QComboBox::currentIndexChanged, this, &frmMain::showLimitControls);
    }
    connect(ui->cboXBarSize, &QComboBox::activated, this, &frmMain::showLimitControls); // once gXBarSize follows
    connect(ui->optXBarPlot, &QRadioButton::toggled, this, &frmMain::showLimitControls);
    m_chartMenu = std::make_unique<QMenu>(this);
    m_chartMenu->setObjectName(QStringLiteral("mnuChart"));
}

LimitKey frmMain::chosenLimitKey() const
{
    return ControlChartKey(m_state, currentSelection(), ui->optIndividualPlot->isChecked(), m_state.gXBarSize);
}

void frmMain::readLimitFile()
{
    m_limitFile = ReadLimitFile(QDir::currentPath());
    // A damaged file is told once; every drawing says in its panel that it uses computed limits.
    if (!m_limitFile.problem.isEmpty() && m_limitFile.problem != m_toldLimitProblem) {
        m_services.prompts.message(m_limitFile.problem +
                                       QStringLiteral(".\nCharts use computed limits until the file is mended!"),
                                   MsgIcon::Exclamation, MsgButtons::OK);
    }
    m_toldLimitProblem = m_limitFile.problem;
}

void frmMain::showLimitControls()
{
    const LimitSet* set = m_limitFile.store.find(chosenLimitKey());
    ui->chkFrozenLimits->setVisible(set != nullptr);
    ui->cmdClearLimits->setVisible(set != nullptr);
    ui->chkFrozenLimits->setToolTip(
        set ? QStringLiteral("Draw with the limits frozen on %1 by %2%3")
                  .arg(stampText(set->frozenAt), set->frozenBy.isEmpty() ? QStringLiteral("?") : set->frozenBy,
                       set->comment.isEmpty() ? QString() : QStringLiteral(": ") + set->comment)
            : QString());
    ui->cmdFreezeLimits->setEnabled(m_lastPlot->drawn && ui->cmdPlotChart->isEnabled());
}

LimitsRequest frmMain::limitsOfDrawing(bool individual)
{
    readLimitFile();
    m_drawnChart = {currentSelection(), chosenLimitKey(), individual};
    return LimitsFromFile(m_limitFile, m_drawnChart.key,
                          ui->chkFrozenLimits->isChecked() && m_limitFile.store.find(m_drawnChart.key), true);
}

bool frmMain::changeLimitFile(const LimitChange& change)
{
    const BusyCursor busy;
    const QString refused = ChangeLimitFile(QDir::currentPath(), change, [this](const QString& waiting) {
        showLoadStatus(waiting);
        m_services.pump.pump();
    });
    showLoadStatus(QString());
    if (!refused.isEmpty()) {
        showError(refused);
    }
    readLimitFile();
    showLimitControls();
    return refused.isEmpty();
}

void frmMain::cmdFreezeLimits_Click()
{
    if (!m_lastPlot->drawn) {
        return;
    }
    LimitSet set = FrozenFromDrawing(*m_lastPlot, m_drawnChart.key, m_drawnChart.selection, m_constants,
                                     m_services.clock.now(), CurrentLoginName(), QString());
    QString description = FrozenSetDescription(set);
    if (const LimitSet* replaced = m_limitFile.store.find(set.key)) {
        description += QStringLiteral("\n\nThey replace the limits frozen on %1; those stay in the file's history.")
                           .arg(stampText(replaced->frozenAt));
    }
    frmLimitsNote dialog(QStringLiteral("Freeze Limits"), description, QStringLiteral("Comment:"), this);
    if (m_services.prompts.showModal(dialog) != QDialog::Accepted) {
        return;
    }
    set.comment = dialog.note();
    // Stamped once the lock is held, so that the order of the stamps is the order of the writes.
    changeLimitFile([this, &set](LimitStore& store) {
        set.frozenAt = m_services.clock.now();
        store.freeze(set);
        return QString();
    });
}

void frmMain::cmdClearLimits_Click()
{
    const LimitKey key = chosenLimitKey();
    const LimitSet* set = m_limitFile.store.find(key);
    if (!set || m_services.prompts.message(QStringLiteral("Clear the limits frozen on %1 for %2?\nThey stay in the "
                                                          "history of the limit file.")
                                               .arg(stampText(set->frozenAt), key.text()),
                                           MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
        return;
    }
    const QDateTime now = m_services.clock.now();
    changeLimitFile([&](LimitStore& store) {
        return store.clear(key, now, CurrentLoginName()) ? QString()
                                                         : QStringLiteral("No frozen limits for ") + key.text();
    });
}

void frmMain::ocxXBarChart_ContextMenu(qint64 point, const QPoint& at)
{
    if (!m_lastPlot->drawn || point >= m_lastPlot->times.count()) {
        return;
    }
    m_chartMenu->clear();
    connect(m_chartMenu->addAction(QStringLiteral("New stage here…")), &QAction::triggered, this,
            [this, point] { newStageAt(point); });
    const LimitSegment& segment = m_lastPlot->limits.segmentOf(point);
    if (segment.firstPoint == point && segment.stage && point > 0) {
        const StageStart stage = *segment.stage;
        connect(m_chartMenu->addAction(QStringLiteral("Remove stage \"%1\"…").arg(stage.caption())),
                &QAction::triggered, this, [this, stage] { removeStage(stage); });
    }
    m_chartMenu->popup(ui->ocxXBarChart->mapToGlobal(at));
}

void frmMain::newStageAt(qint64 point)
{
    const std::optional<QDateTime> at = m_lastPlot->times.at(point);
    if (!at) {
        showError(QStringLiteral("The records of this point have no time: no stage can start there"));
        return;
    }
    const LimitKey& key = m_drawnChart.key;
    frmLimitsNote dialog(QStringLiteral("New Stage"),
                         QStringLiteral("A new stage of %1, %2 starts at %3 (point %4).\nFrom there on, charts "
                                        "without frozen limits compute limits of its own.")
                             .arg(key.product, key.parameter, stampText(*at))
                             .arg(point + 1),
                         QStringLiteral("Name:"), this);
    if (m_services.prompts.showModal(dialog) != QDialog::Accepted) {
        return;
    }
    const StageStart stage{key.product, key.parameter, *at, dialog.note(), m_services.clock.now(), CurrentLoginName()};
    if (changeLimitFile([&stage](LimitStore& store) {
            store.addStage(stage);
            return QString();
        })) {
        PlotChart(m_drawnChart.individual);
    }
}

void frmMain::removeStage(const StageStart& stage)
{
    if (m_services.prompts.message(
            QStringLiteral("Remove the stage \"%1\" starting at %2?").arg(stage.caption(), stampText(stage.start)),
            MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
        return;
    }
    if (changeLimitFile([&stage](LimitStore& store) {
            return store.removeStage(stage.product, stage.parameter, stage.start)
                       ? QString()
                       : QStringLiteral("The stage \"%1\" is no longer in the limit file").arg(stage.caption());
        })) {
        PlotChart(m_drawnChart.individual);
    }
}
