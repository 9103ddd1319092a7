#include "frmMain.h"

#include "AbandonedListings.h"
#include "AutoRefresh.h"
#include "BusyCursor.h"
#include "ChartControl.h"
#include "Clock.h"
#include "Connection.h"
#include "ControlChartLoader.h"
#include "EventPump.h"
#include "FileNames.h"
#include "Formats.h"
#include "InstanceGuard.h"
#include "LiveChart.h"
#include "ProductConfig.h"
#include "ProductSetup.h"
#include "ProfileReader.h"
#include "Prompts.h"
#include "QueryBuilder.h"
#include "SettingsStore.h"
#include "SignalNotifier.h"
#include "VersionText.h"
#include "XBarChart.h"
#include "frmAbout.h"
#include "frmMoreChart.h"
#include "frmRangePlot.h"
#include "frmTitle.h"
#include "ui_frmMain.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <exception>

namespace {

const QString kOpenINI = QStringLiteral("<Open INI>");
const QString kStartPlot = QStringLiteral("Start Plot");
const QString kStopPlot = QStringLiteral("Stop Plot");

QString registryName(const char* valueName)
{
    return kSaveConfigKey + QLatin1String(valueName);
}

// Saved check states: "0" unchecked, "1" checked, "2" grayed; anything else leaves the box as it is.
void restoreCheck(QCheckBox* box, const QString& saved)
{
    bool ok = false;
    const int value = saved.trimmed().toInt(&ok);
    if (!ok) {
        return;
    }
    if (value == 0 || value == 1) {
        box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
    } else if (value == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    }
}

QString checkText(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return QStringLiteral("1");
    case Qt::PartiallyChecked:
        return QStringLiteral("2");
    case Qt::Unchecked:
        break;
    }
    return QStringLiteral("0");
}

// A saved Boolean: "True"/"False" in any case, or a number (non-zero is true).
std::optional<bool> booleanValue(const QString& saved)
{
    const QString text = saved.trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (const std::optional<double> number = NumericValue(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

// A limit box whose configured limit is no number: marked, and its tooltip says so.
void markUnreadLimit(QLineEdit* box, const QString& unread)
{
    box->setToolTip(unread.isEmpty() ? QString() : QStringLiteral("not a number: no limit"));
    box->setStyleSheet(unread.isEmpty() ? QString() : QStringLiteral("QLineEdit { border: 2px solid #c00000; }"));
}

} // namespace

frmMain::frmMain(AppServices services, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), m_services(std::move(services)),
      m_lastPlot(std::make_unique<PlotResult>())
{
    ui->setupUi(this);
    statusBar()->setSizeGripEnabled(false); // says what a load is doing
    scrollSelectionPanel();

    connect(ui->cboProductName, &QComboBox::activated, this, &frmMain::cboProductName_Click);
    connect(ui->cboDataParameters, &QComboBox::activated, this, &frmMain::cboDataParameters_Click);
    connect(ui->cboTestedRange, &QComboBox::activated, this, &frmMain::cboTestedRange_Click);
    connect(ui->cboXBarSize, &QComboBox::activated, this, &frmMain::cboXBarSize_Click);
    connect(ui->optXBarPlot, &QRadioButton::toggled, this, &frmMain::optPlot_Click);
    connect(ui->cmdPlotChart, &QPushButton::clicked, this, &frmMain::cmdPlotChart_Click);
    connect(ui->cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(ui->cmdMoreCharts, &QPushButton::clicked, this, &frmMain::cmdMoreCharts_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connectRunRules();
    connectLimits();
    connectLiveRefresh();

    ui->txtSerialNumberFilter->installEventFilter(this);
    for (QWidget* watched : {static_cast<QWidget*>(ui->lblOpenATE_INI), static_cast<QWidget*>(ui->lblOpenProducts_INI),
                             ui->centralWidget, ui->selectionPanel}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
}

frmMain::~frmMain() = default;

void frmMain::scrollSelectionPanel()
{
    // The panel scrolls on a screen shorter than it (1280 x 720), so the window fits the screen.
    auto* scroll = new QScrollArea(ui->centralWidget);
    scroll->setObjectName(QStringLiteral("selectionScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete ui->mainLayout->replaceWidget(ui->selectionPanel, scroll);
    scroll->setWidget(ui->selectionPanel);
    const int scrollBar = scroll->verticalScrollBar()->sizeHint().width();
    scroll->setMinimumWidth(ui->selectionPanel->minimumSizeHint().width() + scrollBar);
    scroll->setMaximumWidth(ui->selectionPanel->maximumWidth() + scrollBar);
}

// ---------------------------------------------------------------------------------------------
// Start-up and end

bool frmMain::Load()
{
    try {
        m_instance = std::make_unique<InstanceGuard>(m_services.instanceLockPath);
        if (!m_instance->acquire()) {
            m_services.prompts.message(QStringLiteral("An instance Tessaly software is running!"), MsgIcon::Information,
                                       MsgButtons::OK);
            m_instance.reset();
            DoShutdownProgram();
            return false;
        }

        showSplash();

        m_state.gConnection = std::make_unique<Connection>();
        m_xbarChart = std::make_unique<XBarChart>(*ui->ocxXBarChart);
        m_xbarChart->SetupRangeSeries();
        m_constants = InitControlChartConstants();
        m_loader = std::make_unique<ControlChartLoader>(
            m_state, *m_xbarChart, m_services.prompts, m_services.pump, m_constants,
            [this](bool enable) { EnableControls(enable); }, [this](const QString& text) { showLoadStatus(text); });
        connectChart();
        PrepareTempFiles();

        const QStringList products = SplitList(LocateINIFolder(false));
        ui->cboProductName->addItem(kOpenINI);
        ui->cboProductName->addItems(products);
        if (!products.isEmpty()) {
            ChooseItem(ui->cboProductName, 1);
        }
        if (m_shutDown) {
            return false;
        }

        ui->cboTestedRange->addItems(RangeTexts());
        LoadSettings();

        ui->lblSPCParameter->setText(StatisticsPanelCaptions().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        ui->lblVersion->setText(QStringLiteral("Version ") + VersionText());
    } catch (const std::exception& e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return !m_shutDown;
}

void frmMain::showSplash()
{
    frmTitle splash;
    splash.show();
    QEventLoop wait;
    QTimer::singleShot(m_services.splashMilliseconds, &wait, &QEventLoop::quit);
    wait.exec();
    m_services.pump.pump();
}

void frmMain::PrepareTempFiles()
{
    const QString folder = TemporaryFolder();
    RemoveAbandonedListings(folder, m_services.clock.today());
    HeldListing listing = HoldNewListing(folder);
    m_state.gRawDataFile = listing.path;
    m_listingLock = std::move(listing.lock);
}

void frmMain::deleteRawDataFile()
{
    if (!m_state.gRawDataFile.isEmpty()) {
        QFile::remove(m_state.gRawDataFile);
    }
    m_listingLock.reset();
}

void frmMain::DoShutdownProgram()
{
    m_shutDown = true;
    stopFollowing();
    deleteRawDataFile();
    if (m_state.gConnection) {
        m_state.gConnection->close();
        m_state.gConnection.reset();
    }
    m_instance.reset();
    close();
    QCoreApplication::exit(0);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_shutDown || m_closeConfirmed) {
        event->accept();
        return;
    }
    if (m_services.prompts.message(QStringLiteral("Would you like to exit from program?."), MsgIcon::Information,
                                   MsgButtons::OKCancel) != MsgAnswer::OK) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    stopFollowing();
    deleteRawDataFile();
    if (m_state.gConnection) {
        m_state.gConnection->close();
        m_state.gConnection.reset();
    }
    SaveSettings();
    hide();
    showSplash();
    m_instance.reset();
    event->accept();
}

void frmMain::EnableControls(bool blnEnable)
{
    QWidget* const controls[] = {
        ui->cmdExit,           ui->cmdPrint,          ui->cmdExport,
        ui->cmdNextPage,       ui->cmdPreviousPage,   ui->cmdZoomXIn,
        ui->cmdZoomXOut,       ui->cmdMoreCharts,     ui->cmdAbout,
        ui->cboATEList,        ui->cboDataParameters, ui->cboProductName,
        ui->cboTestedRange,    ui->cboTestID,         ui->chkHideSpec,
        ui->chkRunRules,       ui->cboRuleSet,        ui->chkLastDataOnly,
        ui->chkAcceptZero,     ui->chkOnlyPass,       ui->txtSerialNumberFilter,
        ui->optIndividualPlot, ui->optXBarPlot,       ui->cboXBarSize,
        ui->cmdFreezeLimits,   ui->chkFrozenLimits,   ui->cmdClearLimits,
    };
    for (QWidget* control : controls) {
        control->setEnabled(blnEnable);
    }
    if (ui->optIndividualPlot->isChecked()) {
        ui->cboXBarSize->setEnabled(false);
    }
    ui->cmdPlotChart->setText(blnEnable ? kStartPlot : kStopPlot);
    m_services.pump.pump();
}

void frmMain::showError(const QString& description)
{
    m_services.prompts.message(description + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
}

// ---------------------------------------------------------------------------------------------
// Combo boxes

void frmMain::ChooseItem(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    if (index >= 0 && index < box->count()) {
        emit box->activated(index);
    }
}

bool frmMain::ChooseText(QComboBox* box, const QString& text)
{
    const int index = box->findText(text, Qt::MatchExactly);
    ChooseItem(box, index);
    return index >= 0;
}

void frmMain::cboTestedRange_Click()
{
    if (ui->cboTestedRange->currentText() == QLatin1String("Custom")) {
        frmRangePlot dialog(m_state, m_services.prompts, this);
        m_services.prompts.showModal(dialog);
    }
    ui->cboTestedRange->setToolTip(ui->cboTestedRange->currentText().trimmed());
}

void frmMain::cboXBarSize_Click()
{
    m_state.gXBarSize = static_cast<int>(LeadingNumber(ui->cboXBarSize->currentText()));
}

void frmMain::optPlot_Click()
{
    ui->cboXBarSize->setEnabled(ui->optXBarPlot->isChecked());
}

void frmMain::cmdMoreCharts_Click()
{
    if (!iniLoaded()) {
        return;
    }
    const auto texts = [](const QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i) {
            list.append(box->itemText(i));
        }
        return list;
    };
    const ChooserLists lists{texts(ui->cboDataParameters), texts(ui->cboATEList), ui->cboProductName->count() > 0};
    frmMoreChart chooser(analysisContext(), lists, m_services.settings, printer(), this);
    m_services.prompts.showModal(chooser);
    // A parameter picked in the screening: its individual chart, as if chosen here.
    if (const int parameter = std::exchange(m_requestedChart, -1); parameter >= 0) {
        ChooseItem(ui->cboDataParameters, parameter);
        ui->optIndividualPlot->setChecked(true);
        cmdPlotChart_Click();
    }
}

void frmMain::cmdAbout_Click()
{
    frmAbout about(this);
    m_services.prompts.showModal(about);
}

// ---------------------------------------------------------------------------------------------
// Start Plot / Stop Plot

void frmMain::cmdPlotChart_Click()
{
    if (ui->cmdPlotChart->text() == kStopPlot) {
        if (m_services.prompts.message(QStringLiteral("Stop plot SPC chart?"), MsgIcon::Information,
                                       MsgButtons::YesNo) == MsgAnswer::Yes) {
            m_state.gStopPlot = true;
        }
        return;
    }
    const auto refuse = [this](const char* text) {
        m_services.prompts.message(QLatin1String(text), MsgIcon::Exclamation, MsgButtons::OK);
    };
    if (!iniLoaded()) {
        return;
    }
    if (ui->cboProductName->currentIndex() < 0) {
        refuse("Please select product!");
    } else if (ui->cboDataParameters->currentIndex() < 0) {
        refuse("Please select test parameter!");
    } else if (ui->cboTestedRange->currentIndex() < 0) {
        refuse("Please select range!");
    } else {
        PlotChart(ui->optIndividualPlot->isChecked());
    }
}

void frmMain::showLoadStatus(const QString& text)
{
    statusBar()->showMessage(text);
}

void frmMain::PlotChart(bool individual)
{
    const Selection selection = currentSelection();
    if (selection.parameter < 0 || selection.parameter >= m_state.gParameterField.size()) {
        return;
    }
    stopFollowing(); // the drawing is replaced
    PlotRequest request = ControlChartRequest(m_state, selection, ui->cboDataParameters->currentText(),
                                              m_services.clock.today(), m_services.prompts);
    request.uslText = ui->txtUSL->text();
    request.lslText = ui->txtLSL->text();
    request.subgroupSize = m_state.gXBarSize;
    request.hideSpec = ui->chkHideSpec->checkState() != Qt::Unchecked;
    request.ruleSet = chosenRuleSet();
    request.limits = limitsOfDrawing(individual);
    *m_lastPlot = individual ? m_loader->PlotIndividualChart(request) : m_loader->PlotXBarChart(request);
    // The panel describes the drawing on the chart: a load that ends before resetting the chart
    // (no data, a rejected query) leaves both as they were; one that reset it and drew nothing
    // leaves the panel empty.
    const bool lastDrawingShown = ui->ocxXBarChart->seriesCount() > XBarChart::kFirstControlLine;
    if (m_lastPlot->drawn || !lastDrawingShown) {
        ui->lblSPCParameter1->setText(m_lastPlot->panelText);
        ui->lblLimits->setText(m_lastPlot->drawn ? m_lastPlot->limits.summary() : QString());
        showSignals();
    }
    showLimitControls();
    followDrawnChart(request);
}

// ---------------------------------------------------------------------------------------------
// Mouse over and clicks on the two INI labels, focus of the serial-number filter

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (watched == ui->txtSerialNumberFilter && type == QEvent::FocusIn) {
        // Select all once the focus has arrived, so a click does not move the caret afterwards.
        QTimer::singleShot(0, ui->txtSerialNumberFilter, [box = ui->txtSerialNumberFilter] {
            box->setCursorPosition(0);
            box->setSelection(0, static_cast<int>(box->text().size()));
        });
    } else if (watched == ui->lblOpenATE_INI || watched == ui->lblOpenProducts_INI) {
        auto* label = static_cast<QLabel*>(watched);
        if (type == QEvent::Enter || type == QEvent::MouseMove) {
            underlineINILabel(label);
        } else if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            lblOpenINI_Click(label == ui->lblOpenATE_INI ? QStringLiteral("ate.ini") : QStringLiteral("products.ini"));
        }
    } else if ((watched == ui->centralWidget || watched == ui->selectionPanel) && type == QEvent::MouseMove) {
        underlineINILabel(nullptr);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::underlineINILabel(QLabel* hovered)
{
    for (QLabel* label : {ui->lblOpenATE_INI, ui->lblOpenProducts_INI}) {
        QFont font = label->font();
        font.setUnderline(label == hovered);
        label->setFont(font);
    }
}

void frmMain::lblOpenINI_Click(const QString& fileName)
{
    const QString path = FindFileNoCase(QDir::currentPath(), fileName);
    if (!path.isEmpty()) {
        m_services.prompts.openInTextEditor(path);
    }
}

// ---------------------------------------------------------------------------------------------
// Saved choices

QString frmMain::ReadRegistry(const QString& KeyString) const
{
    return m_services.settings.read(KeyString);
}

bool frmMain::WriteRegistry(const QString& KeyString, const QString& Value)
{
    return m_services.settings.write(KeyString, Value);
}

void frmMain::LoadSettings()
{
    const auto savedDate = [this](const char* name) {
        const QDate date = ParseShortDate(ReadRegistry(registryName(name)));
        return date == kZeroDate ? QDate() : date;
    };
    if (const QDate start = savedDate("CustomStart"); start.isValid()) {
        m_state.gCustomDateFrom = start;
    }
    if (const QDate end = savedDate("CustomEnd"); end.isValid()) {
        m_state.gCustomDateTo = end;
    }

    const QString range = ReadRegistry(registryName("Range"));
    ChooseText(ui->cboTestedRange, range.isEmpty() ? QStringLiteral("Custom") : range);

    ui->txtSerialNumberFilter->setText(ReadRegistry(registryName("SNFilter")));

    // The two option buttons are exclusive: checking one clears the other.
    if (const std::optional<bool> xbar = booleanValue(ReadRegistry(registryName("XBar")))) {
        (*xbar ? ui->optXBarPlot : ui->optIndividualPlot)->setChecked(true);
    }

    // The item of the saved number ("07" is 7); a number the list does not offer gives 5. Choosing
    // it sets gXBarSize, so the two always agree.
    const double size = LeadingNumber(ReadRegistry(registryName("XBarSize")));
    if (!ChooseText(ui->cboXBarSize, QString::number(size))) {
        ChooseText(ui->cboXBarSize, QStringLiteral("5"));
    }

    restoreCheck(ui->chkAcceptZero, ReadRegistry(registryName("IgnoreZero")));
    restoreCheck(ui->chkOnlyPass, ReadRegistry(registryName("PassOnly")));
    restoreCheck(ui->chkLastDataOnly, ReadRegistry(registryName("LastDataOnly")));
    restoreCheck(ui->chkHideSpec, ReadRegistry(registryName("HideUSL/LSL")));
    restoreRunRules(ReadRegistry(registryName("RunRules")), ReadRegistry(registryName("RuleSet")));
    if (const std::optional<double> seconds = NumericValue(ReadRegistry(registryName("RefreshInterval")))) {
        // The box keeps the interval within 10 s and 1 h.
        QSpinBox* interval = ui->spnRefreshInterval;
        interval->setValue(static_cast<int>(std::clamp<double>(*seconds, interval->minimum(), interval->maximum())));
    }
    restoreCheck(ui->chkAutoRefresh, ReadRegistry(registryName("AutoRefresh")));
    restoreCheck(ui->chkSignalSound, ReadRegistry(registryName("SignalSound")));
}

void frmMain::SaveSettings()
{
    const auto dateText = [](const QDate& date) { return ShortDateText(date.isValid() ? date : kZeroDate); };
    const std::pair<const char*, QString> values[] = {
        {"INIPath", QDir::toNativeSeparators(QDir::currentPath())},
        {"Range", ui->cboTestedRange->currentText()},
        {"SourceFilter", ui->cboATEList->currentText()},
        {"SNFilter", ui->txtSerialNumberFilter->text()},
        {"XBar", ui->optXBarPlot->isChecked() ? QStringLiteral("True") : QStringLiteral("False")},
        {"XBarSize", ui->cboXBarSize->currentText()},
        {"IgnoreZero", checkText(ui->chkAcceptZero)},
        {"PassOnly", checkText(ui->chkOnlyPass)},
        {"LastDataOnly", checkText(ui->chkLastDataOnly)},
        {"HideUSL/LSL", checkText(ui->chkHideSpec)},
        {"RunRules", ui->chkRunRules->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {"RuleSet", savedRuleSet()},
        {"AutoRefresh", checkText(ui->chkAutoRefresh)},
        {"RefreshInterval", QString::number(ui->spnRefreshInterval->value())},
        {"SignalSound", checkText(ui->chkSignalSound)},
        {"CustomStart", dateText(m_state.gCustomDateFrom)},
        {"CustomEnd", dateText(m_state.gCustomDateTo)},
    };
    for (const auto& [name, value] : values) {
        WriteRegistry(registryName(name), value); // a choice that cannot be kept is simply lost
    }
}

// ---------------------------------------------------------------------------------------------
// Configuration folder and product

QString frmMain::iniPath(const QString& fileName) const
{
    const QString found = FindFileNoCase(QDir::currentPath(), fileName);
    return found.isEmpty() ? QDir::current().filePath(fileName) : found;
}

void frmMain::fillTestIDList(bool withAll)
{
    const QString ateIni = iniPath(QStringLiteral("ATE.INI"));
    ui->cboTestID->clear();
    if (withAll) {
        ui->cboTestID->addItem(kAll);
    }
    const QStringList ids = SplitList(ReadINI(kATEConfiguration, QStringLiteral("TestID"), ateIni));
    ui->cboTestID->addItems(ids);
    int selected = -1;
    if (!ids.isEmpty()) {
        const QString wanted = ReadINI(kATEConfiguration, QStringLiteral("TestIDDefault"), ateIni);
        if (!wanted.isEmpty()) {
            selected = ui->cboTestID->findText(wanted, Qt::MatchExactly);
        } else if (!withAll) {
            selected = 0;
        }
    }
    if (selected < 0 && withAll) {
        selected = 0;
    }
    ui->cboTestID->setCurrentIndex(selected);
}

QString frmMain::LocateINIFolder(bool blnReselect)
{
    const auto setCaption = [this] {
        setWindowTitle(QStringLiteral("Korvane SPC (") + QDir::toNativeSeparators(QDir::currentPath()) +
                       QLatin1Char(')'));
    };
    const auto bothFilesPresent = [] {
        return !FindFileNoCase(QDir::currentPath(), QStringLiteral("ATE.INI")).isEmpty() &&
               !FindFileNoCase(QDir::currentPath(), QStringLiteral("PRODUCTS.INI")).isEmpty();
    };
    const auto products = [this] {
        return ReadINI(kATEConfiguration, QStringLiteral("TestProduct"), iniPath(QStringLiteral("ATE.INI")));
    };

    if (!blnReselect) {
        const QString remembered =
            m_services.configFolder.isEmpty() ? ReadRegistry(registryName("INIPath")) : m_services.configFolder;
        if (!remembered.isEmpty() && QFileInfo(remembered).isDir() && QDir::setCurrent(remembered)) {
            setCaption();
            if (bothFilesPresent()) {
                return products();
            }
        }
    }

    const QString chosen = m_services.prompts.openFileName(
        QStringLiteral("Open INI files"), QStringLiteral("INI file (ATE.INI)|ATE.INI"), QDir::currentPath());
    if (chosen.isEmpty() || chosen.contains(QLatin1Char('*'))) {
        return {};
    }
    QDir::setCurrent(QFileInfo(chosen).absolutePath());

    const auto missing = [this](const char* text) {
        m_services.prompts.message(QLatin1String(text), MsgIcon::Exclamation, MsgButtons::OK,
                                   QStringLiteral("Open INI Error"));
        return QString();
    };
    if (FindFileNoCase(QDir::currentPath(), QStringLiteral("ATE.INI")).isEmpty()) {
        return missing("Missing ATE.INI!.");
    }
    if (FindFileNoCase(QDir::currentPath(), QStringLiteral("PRODUCTS.INI")).isEmpty()) {
        return missing("Missing PRODUCTS.INI!.");
    }
    fillTestIDList(false);
    const QString list = products();
    setCaption();
    m_state.gINIFolder = QDir::currentPath();
    return list;
}

void frmMain::cboProductName_Click()
{
    try {
        const QString name = ui->cboProductName->currentText().trimmed();
        if (name.isEmpty()) {
            return;
        }
        if (name != kOpenINI) {
            // The chart drawn is of the product before: its records are no longer where it looks.
            stopFollowing();
            m_shownProduct = ui->cboProductName->currentIndex();
            fillTestIDList(true);
            LoadParameterList(name);
            if (ConnectDatabase(name)) {
                return;
            }
            if (m_services.prompts.message(
                    QStringLiteral("Would you like to re-select the other INI? or click Cancel for exit from program."),
                    MsgIcon::Question, MsgButtons::RetryCancel) != MsgAnswer::Retry) {
                DoShutdownProgram();
                return;
            }
        }
        const QStringList products = SplitList(LocateINIFolder(true));
        if (products.isEmpty()) {
            // No other configuration: the box shows the product still loaded again.
            if (name == kOpenINI) {
                ui->cboProductName->setCurrentIndex(m_shownProduct);
            }
            return;
        }
        ui->cboProductName->clear();
        ui->cboDataParameters->clear();
        ui->cboProductName->addItem(kOpenINI);
        ui->cboProductName->addItems(products);
        ChooseItem(ui->cboProductName, 1);
        m_xbarChart->ResetChart(QString(), ui->optIndividualPlot->isChecked(), m_state.gChartTitle);
        ui->lblSPCParameter1->clear();
    } catch (const std::exception& e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
}

void frmMain::LoadParameterList(const QString& strProduct)
{
    ui->cboDataParameters->clear();
    const SpecificationList list = LoadProductDefinition(m_state, iniPath(QStringLiteral("PRODUCTS.INI")), strProduct,
                                                         [this] { m_services.pump.pump(); });
    m_parameterSpecs = list.parameters;
    for (const ParameterSpec& spec : list.parameters) {
        ui->cboDataParameters->addItem(spec.listText());
    }
    // Long parameter names stay readable in the open list.
    ui->cboDataParameters->view()->setMinimumWidth(ui->cboDataParameters->view()->sizeHintForColumn(0) + 24);
    if (list.outcome != SpecificationList::Outcome::Complete) {
        ui->cboDataParameters->setCurrentIndex(-1);
        m_services.prompts.message(list.message(), MsgIcon::Exclamation, MsgButtons::OK);
        return;
    }
    if (ui->cboDataParameters->count() > 0) {
        ChooseItem(ui->cboDataParameters, 0);
    }
}

void frmMain::cboDataParameters_Click()
{
    const int k = ui->cboDataParameters->currentIndex();
    if (k < 0 || k >= m_state.gUSL.size()) {
        return;
    }
    ui->txtUSL->setText(LimitText(m_state.gUSL.at(k), kNoUSL));
    ui->txtLSL->setText(LimitText(m_state.gLSL.at(k), kNoLSL));
    markUnreadLimit(ui->txtUSL, m_parameterSpecs.value(k).unreadUsl);
    markUnreadLimit(ui->txtLSL, m_parameterSpecs.value(k).unreadLsl);
    const QString& unit = m_state.gUnit.at(k);
    ui->lblTestParameter->setText(unit.isEmpty() ? QStringLiteral("Test Parameter")
                                                 : QStringLiteral("Test Parameter (") + unit + QLatin1Char(')'));
}

void frmMain::GetTestParameterName()
{
    if (ui->cboDataParameters->count() == 0) {
        m_services.prompts.message(QStringLiteral("Not found parameters!"), MsgIcon::Exclamation, MsgButtons::OK);
        return;
    }
    const BusyCursor busy;
    if (m_state.gINIFolder.isEmpty()) {
        m_state.gINIFolder = QDir::currentPath();
    }
    const QString productsIni = FindFileNoCase(m_state.gINIFolder, QStringLiteral("Products.ini"));
    const SpecificationList list = ReadSpecificationList(productsIni, ui->cboProductName->currentText());
    m_state.gParameterName.clear();
    for (const ParameterSpec& spec : list.parameters) {
        m_state.gParameterName.append(spec.name);
    }
    if (list.outcome != SpecificationList::Outcome::Complete) {
        m_services.prompts.message(list.message(), MsgIcon::Exclamation, MsgButtons::OK);
        return;
    }
    m_state.gParameterName = m_state.gParameterName.mid(0, ui->cboDataParameters->count());
}

// ---------------------------------------------------------------------------------------------
// The product's database

bool frmMain::ConnectDatabase(const QString& strProduct)
{
    const BusyCursor busy;
    const ProductDatabase database =
        OpenProductDatabase(m_state, iniPath(QStringLiteral("ATE.INI")), iniPath(QStringLiteral("PRODUCTS.INI")),
                            strProduct, m_services.pump);
    ui->cboATEList->clear();
    if (!database.opened) {
        m_services.prompts.message(database.message, MsgIcon::Exclamation, MsgButtons::OK);
        return false;
    }
    if (!database.warnings.isEmpty()) {
        m_services.prompts.message(database.warnings.join(QLatin1Char('\n')), MsgIcon::Exclamation, MsgButtons::OK);
    }
    // "<All>" stands ahead of every source.
    ui->cboATEList->addItem(kAll);
    ui->cboATEList->addItems(database.sources);
    ui->cboATEList->setCurrentIndex(0);
    const int saved = ui->cboATEList->findText(ReadRegistry(registryName("SourceFilter")));
    if (saved >= 0) {
        ui->cboATEList->setCurrentIndex(saved);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Query text

AnalysisContext frmMain::analysisContext()
{
    return AnalysisContext{currentSelection(),
                           m_state,
                           m_services.prompts,
                           m_services.clock,
                           m_services.pump,
                           [this] { GetTestParameterName(); },
                           [this](int parameter) { m_requestedChart = parameter; }};
}

Selection frmMain::currentSelection() const
{
    Selection selection;
    selection.product = ui->cboProductName->currentText().trimmed();
    selection.parameter = ui->cboDataParameters->currentIndex();
    selection.range = ui->cboTestedRange->currentText().trimmed();
    selection.source = ui->cboATEList->currentText() == kAll ? QString() : ui->cboATEList->currentText();
    selection.serialFilter = ui->txtSerialNumberFilter->text();
    selection.passOnly = ui->chkOnlyPass->checkState() != Qt::Unchecked;
    selection.lastDataOnly = ui->chkLastDataOnly->checkState() != Qt::Unchecked;
    selection.testId = ui->cboTestID->currentText();
    selection.acceptZero = ui->chkAcceptZero->checkState() != Qt::Unchecked;
    return selection;
}
