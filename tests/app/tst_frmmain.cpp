#include "AppFixture.h"
#include "DataRow.h"
#include "InstanceGuard.h"
#include "ResultsFixtures.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "frmRangePlot.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

namespace {

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i) {
        list.append(box->itemText(i));
    }
    return list;
}

// Sets when the file was last written, writing it first when it does not exist.
bool touch(const QString& path, const QDateTime& modified)
{
    if (!QFile::exists(path)) {
        WriteFile(path, "x");
    }
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(modified, QFileDevice::FileModificationTime);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsOnRememberedFolder()
    {
        AppFixture app;
        app.rememberFolder("Last 7 Days");
        Ui::frmMain& ui = app.start().form();

        QVERIFY(app.loaded);
        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(app.window->windowTitle(), "Korvane SPC (" + QDir::toNativeSeparators(app.configFolder()) + ")");
        QCOMPARE(items(ui.cboProductName), (QStringList{"<Open INI>", "Small", " Other Small"}));
        QCOMPARE(ui.cboProductName->currentIndex(), 1);
        QCOMPARE(items(ui.cboTestID), (QStringList{"<All>", "FT1", "FT2", "RETEST"}));
        QCOMPARE(ui.cboTestID->currentText(), "FT2");
        QCOMPARE(items(ui.cboDataParameters),
                 (QStringList{"Output: [Output Voltage]", "Input Current", "Ripple", "Efficiency"}));
        QCOMPARE(ui.cboDataParameters->currentIndex(), 0);
        // Each parameter shows its limits ("N/A" where it has none, marked where one is no number)
        // and its unit.
        for (const QString shown : {"4.75|5.25|Test Parameter (V)||", "N/A|2.5|Test Parameter (A)||",
                                    "0|N/A|Test Parameter||not a number: no limit"}) {
            QCOMPARE((QStringList{ui.txtLSL->text(), ui.txtUSL->text(), ui.lblTestParameter->text(),
                                  ui.txtLSL->toolTip(), ui.txtUSL->toolTip()})
                         .join('|'),
                     shown);
            frmMain::ChooseItem(ui.cboDataParameters, ui.cboDataParameters->currentIndex() + 1);
        }
        QCOMPARE(items(ui.cboATEList), (QStringList{"<All>", "ATE-01", "ATE-02", "ATE-03"}));
        QCOMPARE(ui.cboATEList->currentText(), "<All>");
        QCOMPARE(app.window->state().gDatabaseType, "SQLITE");
        QVERIFY(app.window->state().gINIFolder.isEmpty());

        // The labels open the two files in the editor.
        QTest::mouseClick(ui.lblOpenATE_INI, Qt::LeftButton);
        QTest::mouseClick(ui.lblOpenProducts_INI, Qt::LeftButton);
        QCOMPARE(app.prompts.editedFiles, (QStringList{app.configFile("ate.ini"), app.configFile("Products.INI")}));
        // Display names follow the parameter list, read from the folder of the files.
        app.window->GetTestParameterName();
        QCOMPARE(app.window->state().gParameterName,
                 (QStringList{"Output Voltage", "Input Current", "Ripple", "Efficiency"}));
        QCOMPARE(app.window->state().gINIFolder, app.configFolder());
        // Another product brings its own columns: its sources are the serial numbers.
        frmMain::ChooseText(ui.cboProductName, " Other Small");
        QCOMPARE(app.window->state().gATEIDField, "[SerialNumber]");
        QCOMPARE(app.window->state().gTestIDField, "[TestID]");
        QCOMPARE(ui.cboATEList->count(), 512 + 1 /* distinct serial numbers and "<All>" */);
        QCOMPARE(items(ui.cboDataParameters), QStringList{"Efficiency"});
        ui.cboDataParameters->clear();
        app.window->GetTestParameterName();
        QCOMPARE(app.prompts.texts(), QStringList{"Not found parameters!"});
    }

    void firstRunAsksForFolderAndRange()
    {
        AppFixture app;
        app.prompts.fileNames.push_back(app.configFile("ate.ini"));
        app.saveChoice("CustomStart", "12/30/1899"); // as a range never entered is saved
        app.saveChoice("CustomEnd", "31.01.2024");   // unreadable
        Ui::frmMain& ui = app.start().form();

        QCOMPARE(app.prompts.fileDialogCaptions, QStringList{"Open INI files"});
        QCOMPARE(app.prompts.fileDialogFilters, QStringList{"INI file (ATE.INI)|ATE.INI"});
        QCOMPARE(app.window->state().gINIFolder, app.configFolder());
        QCOMPARE(ui.cboProductName->currentText(), "Small");
        QCOMPARE(ui.cboTestedRange->currentText(), "Custom");
        QCOMPARE(app.prompts.modalWindows, QStringList{"frmRangePlot"});
        QVERIFY(!app.window->state().gCustomDateFrom.isValid() && !app.window->state().gCustomDateTo.isValid());
        QVERIFY(ui.optXBarPlot->isChecked() && ui.chkAcceptZero->isChecked() && ui.chkOnlyPass->isChecked() &&
                ui.chkLastDataOnly->isChecked() && !ui.chkHideSpec->isChecked() && !ui.chkRunRules->isChecked());
        QCOMPARE(app.window->state().gXBarSize, 5);
    }

    void folderProblemsAtStartUp_data()
    {
        // removedFile: from the remembered folder, which the file dialog then picks again.
        AddColumns<QString, QStringList>("removedFile", "messages");
        QTest::newRow("vanished folder, dialog cancelled") << QString() << QStringList{};
        QTest::newRow("no PRODUCTS.INI") << QString("Products.INI") << QStringList{"Missing PRODUCTS.INI!."};
        QTest::newRow("no ATE.INI") << QString("ate.ini") << QStringList{"Missing ATE.INI!."};
    }

    void folderProblemsAtStartUp()
    {
        const auto [removedFile, messages] = FetchRow<QString, QStringList>();
        AppFixture app;
        app.rememberFolder();
        if (removedFile.isEmpty()) {
            app.saveChoice("INIPath", "/no/such/folder");
        } else {
            QFile::remove(app.configFile(removedFile));
            app.prompts.fileNames.push_back(app.configFile("ATE.INI"));
        }
        Ui::frmMain& ui = app.start().form();

        QCOMPARE(app.prompts.texts(), messages);
        for (const FakePrompts::Message& m : app.prompts.messages) {
            QCOMPARE(m.caption, "Open INI Error");
            QCOMPARE(m.icon, MsgIcon::Exclamation);
        }
        QCOMPARE(app.prompts.fileDialogCaptions.size(), 1);
        QCOMPARE(items(ui.cboProductName), QStringList{"<Open INI>"});

        // Nothing loaded: every button of the chart says so.
        app.prompts.messages.clear();
        for (QPushButton* button : {ui.cmdPlotChart, ui.cmdPreviousPage, ui.cmdNextPage, ui.cmdZoomXIn, ui.cmdZoomXOut,
                                    ui.cmdExport, ui.cmdPrint, ui.cmdMoreCharts}) {
            button->click();
        }
        QCOMPARE(app.prompts.texts(), QStringList(8, "INI file is not loaded!"));
        QCOMPARE(app.prompts.messages.at(0).icon, MsgIcon::Exclamation);
    }

    void startPlotChecksInOrder_data()
    {
        AddColumns<int, int, int, QString>("product", "parameter", "range", "message");
        QTest::newRow("nothing selected") << -1 << -1 << -1 << "Please select product!";
        QTest::newRow("no parameter") << 1 << -1 << -1 << "Please select test parameter!";
        QTest::newRow("no range") << 1 << 0 << -1 << "Please select range!";
        QTest::newRow("all chosen") << 1 << 0 << 2 << "";
    }

    void startPlotChecksInOrder()
    {
        const auto [product, parameter, range, message] = FetchRow<int, int, int, QString>();
        AppFixture app;
        app.rememberFolder();
        Ui::frmMain& ui = app.start().form();
        ui.cboProductName->setCurrentIndex(product);
        ui.cboDataParameters->setCurrentIndex(parameter);
        ui.cboTestedRange->setCurrentIndex(range);
        ui.cboTestID->setCurrentIndex(0); // "<All>": the fixture's identifiers are not in ATE.INI
        app.prompts.messages.clear();

        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);

        QCOMPARE(app.prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        // Only a selection that passed every check is plotted.
        QCOMPARE(ui.ocxXBarChart->pointCount(0) > 0, message.isEmpty());
    }

    void choicesSurviveARestart()
    {
        AppFixture app;
        app.rememberFolder();
        {
            frmMain& window = app.start();
            Ui::frmMain& ui = window.form();
            frmMain::ChooseText(ui.cboTestedRange, "Last 90 Days");
            ui.cboATEList->setCurrentIndex(ui.cboATEList->findText("ATE-02"));
            ui.txtSerialNumberFilter->setText(" SN%1 ");
            ui.optIndividualPlot->setChecked(true);
            frmMain::ChooseText(ui.cboXBarSize, "9");
            ui.chkAcceptZero->setChecked(false);
            ui.chkOnlyPass->setChecked(false);
            ui.chkHideSpec->setChecked(true);
            ui.chkRunRules->setChecked(true);
            frmMain::ChooseText(ui.cboRuleSet, "Nelson");
            window.state().gCustomDateFrom = QDate(2024, 2, 1);
            window.state().gCustomDateTo = QDate(2024, 2, 29);
            // Closing answered Cancel changes nothing; OK removes the raw-data listing and saves.
            QVERIFY(touch(window.state().gRawDataFile, app.clock.now()));
            app.prompts.answers.push_back(MsgAnswer::Cancel);
            QVERIFY(!window.close());
            QCOMPARE(app.prompts.texts(), QStringList{"Would you like to exit from program?."});
            QCOMPARE(app.prompts.messages.constFirst().buttons, MsgButtons::OKCancel);
            QVERIFY(QFile::exists(window.state().gRawDataFile));
            QCOMPARE(app.savedChoice("Range"), "Today");
            QVERIFY(window.close());
            QVERIFY(!QFile::exists(window.state().gRawDataFile));
        }
        QCOMPARE(app.savedChoice("HideUSL/LSL"), "1");
        QCOMPARE(app.savedChoice("XBar"), "False");
        QCOMPARE(app.savedChoice("CustomEnd"), "2/29/2024");
        QCOMPARE(app.savedChoice("RuleSet"), "nelson");

        frmMain& again = app.start();
        Ui::frmMain& ui = again.form();
        QCOMPARE(ui.cboTestedRange->currentText(), "Last 90 Days");
        QCOMPARE(ui.cboATEList->currentText(), "ATE-02");
        QCOMPARE(ui.txtSerialNumberFilter->text(), " SN%1 ");
        QVERIFY(ui.optIndividualPlot->isChecked() && !ui.optXBarPlot->isChecked());
        QCOMPARE(ui.cboXBarSize->currentText(), "9");
        QVERIFY(!ui.chkAcceptZero->isChecked() && !ui.chkOnlyPass->isChecked());
        QVERIFY(ui.chkLastDataOnly->isChecked() && ui.chkHideSpec->isChecked() && ui.chkRunRules->isChecked());
        QCOMPARE(ui.cboRuleSet->currentText(), "Nelson");
        QCOMPARE(again.state().gCustomDateFrom, QDate(2024, 2, 1));
        QCOMPARE(again.state().gCustomDateTo, QDate(2024, 2, 29));
        // What every chart reads of them.
        const Selection chosen = again.currentSelection();
        QCOMPARE((QStringList{chosen.product, chosen.range, chosen.source, chosen.serialFilter, chosen.testId}),
                 (QStringList{"Small", "Last 90 Days", "ATE-02", " SN%1 ", "FT2"}));
        QVERIFY(!chosen.passOnly && !chosen.acceptZero && chosen.lastDataOnly && chosen.parameter == 0);
    }

    // At start-up the window clears listings of earlier days, but never one that a running window
    // holds: a second window started with another instance lock shares the temporary folder.
    void startUpRemovesOnlyAbandonedListings_data()
    {
        // daysOld -1: no listing, only its lock
        AddColumns<int, QString, bool>("daysOld", "owner", "kept");
        QTest::newRow("today's") << 0 << "none" << true;
        QTest::newRow("yesterday's") << 1 << "none" << false;
        QTest::newRow("yesterday's, its window ended") << 1 << "ended" << false;
        QTest::newRow("yesterday's, its window open for an hour") << 1 << "running" << true;
        QTest::newRow("none, its window ended before listing") << -1 << "ended" << false;
    }

    void startUpRemovesOnlyAbandonedListings()
    {
        const auto [daysOld, owner, kept] = FetchRow<int, QString, bool>();
        AppFixture app;
        app.rememberFolder();
        const QString listing = QDir(app.tempFolder()).filePath("~1234567.spc");
        QVERIFY(daysOld < 0 || touch(listing, app.clock.now().addDays(-daysOld)));
        QLockFile held(listing + ".lock");
        if (owner == "running") {
            QVERIFY(held.tryLock(0));
            QVERIFY(touch(held.fileName(), QDateTime::currentDateTime().addSecs(-3600)));
        } else if (owner == "ended") {
            WriteFile(held.fileName(), "999999\ntessaly\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        }
        frmMain& window = app.start();
        QVERIFY(app.loaded);
        QCOMPARE(QFile::exists(listing), kept);
        QCOMPARE(QFile::exists(listing + ".lock"), owner == "running");
        QVERIFY(QFile::exists(window.state().gRawDataFile + ".lock"));
    }

    // The lock lies where only its user can write: the session's runtime folder when it is
    // private, else a folder of the user's own.
    void instanceLockIsTheUsers_data()
    {
        AddColumns<int, bool>("runtimeFolderMode", "used");
        QTest::newRow("private") << 0x7000 << true;
        QTest::newRow("others can write") << 0x7777 << false;
    }

    void instanceLockIsTheUsers()
    {
        const auto [runtimeFolderMode, used] = FetchRow<int, bool>();
        const QTemporaryDir runtime, cache;
        QFile::setPermissions(runtime.path(), QFile::Permissions(runtimeFolderMode));
        const QByteArray saved[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("XDG_CACHE_HOME")};
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        const QString folder = QFileInfo(InstanceGuard::defaultLockPath()).path();
        qputenv("XDG_RUNTIME_DIR", saved[0]);
        qputenv("XDG_CACHE_HOME", saved[1]);
        QCOMPARE(folder, used ? runtime.path() : cache.path() + "/tessaly");
        QCOMPARE(QFileInfo(folder).permissions() & 0x77, 0);
    }

    // A day of logs that cannot join the others is named when the product opens; the others are read.
    void skippedLogIsNamed()
    {
        AppFixture app;
        QVERIFY(WriteResultsLogFolder(FixturePath("results_small.csv"), app.configFile("logs")));
        app.writeConfigFile("ate.ini",
                            "[ATE Configuration]\r\nTestProduct=Small\r\n[Database]\r\nDatabaseName=logs\r\n");
        app.rememberFolder();
        app.start();
        QVERIFY(app.loaded);
        QCOMPARE(app.prompts.texts(), QStringList{"The CSV file 'logs/2024-03-07.csv' is skipped: its header differs "
                                                  "from that of 'logs/2024-03-05.csv'."});
        QCOMPARE(app.prompts.messages.at(0).icon, MsgIcon::Exclamation);
        QCOMPARE(items(app.window->form().cboATEList), (QStringList{"<All>", "ATE-01", "ATE-02", "ATE-03"}));
    }

    // "<Open INI>" that finds no other configuration leaves the product box on the product still
    // loaded.
    void openINIChoosesAnotherFolder_data()
    {
        AddColumns<bool, QStringList>("chosen", "messages");
        QTest::newRow("a folder without PRODUCTS.INI") << true << QStringList{"Missing PRODUCTS.INI!."};
        QTest::newRow("dialog cancelled") << false << QStringList();
    }

    void openINIChoosesAnotherFolder()
    {
        const auto [chosen, messages] = FetchRow<bool, QStringList>();
        AppFixture app;
        app.rememberFolder();
        Ui::frmMain& ui = app.start().form();
        frmMain::ChooseText(ui.cboProductName, " Other Small");
        QTemporaryDir other;
        QFile::copy(app.configFile("ate.ini"), other.filePath("ATE.INI"));
        if (chosen) {
            app.prompts.fileNames.push_back(other.filePath("ATE.INI"));
        }
        frmMain::ChooseItem(ui.cboProductName, 0);
        QCOMPARE(app.prompts.texts(), messages);
        QCOMPARE(items(ui.cboProductName), (QStringList{"<Open INI>", "Small", " Other Small"}));
        QCOMPARE(ui.cboProductName->currentText(), " Other Small");
        QCOMPARE(QDir::currentPath(), QDir(chosen ? other.path() : app.configFolder()).absolutePath());
    }
};

TESSALY_TEST(TestMainWindow)
#include "tst_frmmain.moc"
