#pragma once

#include "AnalysisContext.h"
#include "AppServices.h"
#include "ControlChartMath.h"
#include "LimitFile.h"
#include "LimitsInForce.h"
#include "ProductConfig.h"
#include "RunRules.h"
#include "Selection.h"
#include "SharedState.h"
#include "frmPrintChart.h"

#include <QMainWindow>
#include <memory>

class AutoRefresh;
class ControlChartLoader;
class LiveChart;
class QDockWidget;
class SignalNotifier;
class SignalsList;
struct PlotRequest;
struct PlotResult;
class InstanceGuard;
class XBarChart;
class QComboBox;
class QLabel;
class QLockFile;
class QMenu;
class QPrinter;

namespace Ui {
class frmMain;
}

// The main window: start-up, the user's selection, Start Plot / Stop Plot, and the orderly end.
// It owns the program's shared state.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(AppServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the start-up steps. False when the program ended during them (another instance runs).
    bool Load();

    // True once DoShutdownProgram ran: the program is over and nothing else may happen.
    bool isShutDown() const { return m_shutDown; }

    SharedState& state() { return m_state; }
    Ui::frmMain& form() { return *ui; }
    XBarChart& xbarChart() { return *m_xbarChart; }
    // What the last Start Plot read and drew.
    const PlotResult& lastPlot() const { return *m_lastPlot; }
    AutoRefresh& autoRefresh() { return *m_autoRefresh; }
    SignalsList& signalsList() { return *m_signalsList; }

    // Reads the records new since the last refresh into the chart of the last Start Plot and
    // announces its new signals; Auto Refresh calls it at every interval.
    void refreshLiveChart();

    void EnableControls(bool blnEnable);
    // The status line: what a load is doing; "" when it is done.
    void showLoadStatus(const QString& text);
    void DoShutdownProgram();
    void PrepareTempFiles();

    QString ReadRegistry(const QString& KeyString) const;
    bool WriteRegistry(const QString& KeyString, const QString& Value);
    void LoadSettings();
    void SaveSettings();

    QString LocateINIFolder(bool blnReselect);
    void LoadParameterList(const QString& strProduct);
    void GetTestParameterName();
    bool ConnectDatabase(const QString& strProduct);

    // The window's current choices, as every chart reads them.
    Selection currentSelection() const;
    // What the analysis windows read: the current selection and the window's shared state.
    AnalysisContext analysisContext();
    // The printer of every print of the program run; its dialog's choices stay for the next print.
    QPrinter& printer();

    // Selects item index of box and raises the box's reaction, as a user's choice would.
    static void ChooseItem(QComboBox* box, int index);
    // Selects the item with exactly this text; false (and nothing selected) when there is none.
    static bool ChooseText(QComboBox* box, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cboProductName_Click();
    void cboDataParameters_Click();
    void cboTestedRange_Click();
    void cboXBarSize_Click();
    void optPlot_Click();
    void cmdPlotChart_Click();
    void PlotChart(bool individual);
    void cmdMoreCharts_Click();
    void cmdAbout_Click();
    void lblOpenINI_Click(const QString& fileName);
    void underlineINILabel(QLabel* hovered);

    // The chart's buttons and events (frmMainChart.cpp).
    void connectChart();
    bool iniLoaded();
    bool chartHasPoints();
    void UndoChartZoom();
    void cmdPage_Click(bool next);
    void goToPage(int page);
    void showPageInBox();
    void cmdZoomX_Click(int change);
    void ocxXBarChart_MouseMove(int y);
    void ocxXBarChart_ClickSeries(int series, qint64 point, Qt::MouseButton button, const QPoint& at);
    void cmdExport_Click();
    void cmdPrint_Click();

    // Run rules (frmMainRules.cpp): the choice saved as "1"/"0" and "we"/"nelson".
    void connectRunRules();
    RuleSet chosenRuleSet() const;
    void restoreRunRules(const QString& enabled, const QString& ruleSet);
    QString savedRuleSet() const;
    void runRulesChanged();
    void showSignals();

    // Auto Refresh (frmMainLive.cpp): the chart of the last Start Plot follows the new records.
    void connectLiveRefresh();
    void stopFollowing();
    void followDrawnChart(const PlotRequest& request);
    // The page holding a listed signal's point, with the point marked.
    void goToSignal(int series, qint64 sequence);

    // Frozen limits and stages (frmMainLimits.cpp). The limit file is read once per drawing, when
    // a product is chosen and after each change.
    void connectLimits();
    LimitKey chosenLimitKey() const;
    void readLimitFile();
    // "Use frozen limits" and "Clear" where the chosen chart has a frozen set; "Freeze Limits…"
    // once a chart is drawn.
    void showLimitControls();
    LimitsRequest limitsOfDrawing(bool individual);
    bool changeLimitFile(const LimitChange& change);
    void cmdFreezeLimits_Click();
    void cmdClearLimits_Click();
    void ocxXBarChart_ContextMenu(qint64 point, const QPoint& at);
    void newStageAt(qint64 point);
    void removeStage(const StageStart& stage);

    void showSplash();
    void scrollSelectionPanel();
    void showError(const QString& description);
    QString iniPath(const QString& fileName) const;
    void fillTestIDList(bool withAll);
    void deleteRawDataFile();

    std::unique_ptr<Ui::frmMain> ui;
    AppServices m_services;
    SharedState m_state;
    QList<ParameterSpec> m_parameterSpecs; // the product's parameter list as configured
    std::unique_ptr<InstanceGuard> m_instance;
    std::unique_ptr<QLockFile> m_listingLock; // marks this run's raw-data listing as in use
    ControlChartConstants m_constants;
    std::unique_ptr<XBarChart> m_xbarChart;
    std::unique_ptr<ControlChartLoader> m_loader;
    std::unique_ptr<PlotResult> m_lastPlot;
    std::unique_ptr<AutoRefresh> m_autoRefresh;
    std::unique_ptr<LiveChart> m_liveChart; // follows the chart of the last Start Plot
    bool m_refreshing = false;
    QLabel* m_refreshStatus = nullptr; // in the status bar, beside a load's messages
    SignalsList* m_signalsList = nullptr;
    QDockWidget* m_signalsDock = nullptr;
    std::unique_ptr<SignalNotifier> m_notifier;
    // What the last Start Plot drew: the selection, the chart's limit key and kind.
    struct DrawnChart
    {
        Selection selection;
        LimitKey key;
        bool individual = false;
    } m_drawnChart;
    LimitFileRead m_limitFile;
    QString m_toldLimitProblem; // the limit file's problem the user was told last
    std::unique_ptr<QMenu> m_chartMenu;
    std::unique_ptr<QPrinter> m_printer; // made at the first print
    PrintChoice m_printChoice;
    int m_requestedChart = -1; // a parameter the screening asked to chart, once the chooser closes
    int m_shownProduct = 0;    // the product box's item of the product loaded last ("<Open INI>" before any)
    bool m_shutDown = false;
    bool m_closeConfirmed = false;
};
