#include "AppFixture.h"
#include "DataRow.h"
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

void touch(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    file.flush();
    file.setFileTime(modified, QFileDevice::FileModificationTime);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsOnRememberedFolder()
    {
        AppFixture app;
        app.rememberConfigFolder();
        app.saveChoice("Range", "Last 7 Days");
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
        // Each parameter shows its limits ("N/A" where it has none) and its unit.
        const std::pair<int, QString> limits[] = {
            {0, "4.75|5.25|Test Parameter (V)"}, {1, "N/A|2.5|Test Parameter (A)"}, {2, "0|N/A|Test Parameter"}};
        for (const auto& [index, shown] : limits) {
            frmMain::ChooseItem(ui.cboDataParameters, index);
            QCOMPARE((QStringList{ui.txtLSL->text(), ui.txtUSL->text(), ui.lblTestParameter->text()}).join('|'), shown);
        }
        QCOMPARE(items(ui.cboATEList), (QStringList{"<All>", "ATE-01", "ATE-02", "ATE-03"}));
        QCOMPARE(ui.cboATEList->currentText(), "<All>");
        QCOMPARE(app.window->state().gDatabaseType, "SQLITE");
        QCOMPARE(ui.cboTestedRange->currentText(), "Last 7 Days");
        QCOMPARE(app.prompts.modalWindows, QStringList());
        QCOMPARE(ui.lblSPCParameter->text().split("\r\n").size(), 20);
        QVERIFY(ui.lblSPCParameter->text().startsWith("Distribution:\r\nTotal:\r\nStd Dev:\r\n"));
        QVERIFY(ui.lblSPCParameter->text().endsWith("Sigma Type:\r\n\r\nUCL:\r\nCL:\r\nLCL:\r\n"));
        QCOMPARE(ui.lblVersion->text(), "Version 1.0.0");
        QVERIFY(app.window->state().gINIFolder.isEmpty());

        // The labels open the two files in the editor.
        QTest::mouseClick(ui.lblOpenATE_INI, Qt::LeftButton);
        QTest::mouseClick(ui.lblOpenProducts_INI, Qt::LeftButton);
        QCOMPARE(app.prompts.editedFiles, (QStringList{QDir(app.configFolder()).filePath("ate.ini"),
                                                       QDir(app.configFolder()).filePath("Products.INI")}));
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
        app.prompts.fileNames.push_back(QDir(app.configFolder()).filePath("ate.ini"));
        Ui::frmMain& ui = app.start().form();

        QCOMPARE(app.prompts.fileDialogCaptions, QStringList{"Open INI files"});
        QCOMPARE(app.prompts.fileDialogFilters, QStringList{"INI file (ATE.INI)|ATE.INI"});
        QCOMPARE(app.window->state().gINIFolder, app.configFolder());
        QCOMPARE(ui.cboProductName->currentText(), "Small");
        QCOMPARE(ui.cboTestedRange->currentText(), "Custom");
        QCOMPARE(app.prompts.modalWindows, QStringList{"frmRangePlot"});
        QVERIFY(ui.optXBarPlot->isChecked());
        QCOMPARE(ui.cboXBarSize->currentText(), "5");
        QCOMPARE(app.window->state().gXBarSize, 5);
        QVERIFY(ui.chkAcceptZero->isChecked() && ui.chkOnlyPass->isChecked() && ui.chkLastDataOnly->isChecked());
        QVERIFY(!ui.chkHideSpec->isChecked());
    }

    void folderProblemsAtStartUp_data()
    {
        AddColumns<QString, QString, bool, QStringList>("remembered", "removedFile", "pickFile", "messages");

        QTest::newRow("vanished folder, dialog cancelled")
            << QString("/no/such/folder") << QString() << false << QStringList{};
        QTest::newRow("folder lacks PRODUCTS.INI, dialog picks it")
            << QString("config") << QString("Products.INI") << true << QStringList{"Missing PRODUCTS.INI!."};
        QTest::newRow("folder lacks ATE.INI, dialog picks it")
            << QString("config") << QString("ate.ini") << true << QStringList{"Missing ATE.INI!."};
    }

    void folderProblemsAtStartUp()
    {
        const auto [remembered, removedFile, pickFile, messages] =
            FetchRow<QString, QString, bool, QStringList>("remembered", "removedFile", "pickFile", "messages");
        AppFixture app;
        app.saveChoice("INIPath", remembered == "config" ? app.configFolder() : remembered);
        app.saveChoice("Range", "Today");
        if (!removedFile.isEmpty()) {
            QFile::remove(QDir(app.configFolder()).filePath(removedFile));
        }
        if (pickFile) {
            app.prompts.fileNames.push_back(QDir(app.configFolder()).filePath("ATE.INI"));
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
        const auto [product, parameter, range, message] =
            FetchRow<int, int, int, QString>("product", "parameter", "range", "message");
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        Ui::frmMain& ui = window.form();
        ui.cboProductName->setCurrentIndex(product);
        ui.cboDataParameters->setCurrentIndex(parameter);
        ui.cboTestedRange->setCurrentIndex(range);
        ui.cboTestID->setCurrentIndex(0); // "<All>": the fixture's identifiers are not in ATE.INI
        app.prompts.messages.clear();

        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);

        QCOMPARE(app.prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        // Only a selection that passed every check is plotted.
        QCOMPARE(ui.ocxXBarChart->pointCount(0) > 0, message.isEmpty());
        QCOMPARE(ui.cmdPlotChart->text(), "Start Plot");
    }

    void enableControlsKeepsSizeOffForIndividual()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        app.saveChoice("XBar", "False");
        frmMain& window = app.start();
        QVERIFY(window.form().optIndividualPlot->isChecked());
        QVERIFY(!window.form().cboXBarSize->isEnabled());
        window.EnableControls(false);
        window.EnableControls(true);
        QVERIFY(window.form().cboXBarSize->isEnabled() == false);
        QVERIFY(window.form().cboTestID->isEnabled());
        QCOMPARE(window.form().cmdPlotChart->text(), "Start Plot");
        window.form().optXBarPlot->setChecked(true);
        QVERIFY(window.form().cboXBarSize->isEnabled());
    }

    void restoresSavedSizes_data()
    {
        AddColumns<QString, QString>("saved", "shown");
        QTest::newRow("too small") << QString("1") << QString("5");
        QTest::newRow("too large") << QString("26") << QString("5");
        QTest::newRow("not a number") << QString("x") << QString("5");
        QTest::newRow("missing") << QString() << QString("5");
        QTest::newRow("in range") << QString("12") << QString("12");
        QTest::newRow("leading zero") << QString("07") << QString("7");
    }

    void restoresSavedSizes()
    {
        const auto [saved, shown] = FetchRow<QString, QString>("saved", "shown");
        AppFixture app;
        app.rememberFolderAndRange();
        app.saveChoice("XBarSize", saved);
        frmMain& window = app.start();
        QCOMPARE(window.form().cboXBarSize->currentText(), shown);
        QCOMPARE(window.state().gXBarSize, shown.toInt());
    }

    void choicesSurviveARestart()
    {
        AppFixture app;
        app.rememberFolderAndRange();
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
            window.state().gCustomDateFrom = QDate(2024, 2, 1);
            window.state().gCustomDateTo = QDate(2024, 2, 29);
            QVERIFY(window.close());
        }
        QCOMPARE(app.savedChoice("HideUSL/LSL"), "1");
        QCOMPARE(app.savedChoice("XBar"), "False");
        QCOMPARE(app.savedChoice("CustomEnd"), "2/29/2024");

        frmMain& again = app.start();
        Ui::frmMain& ui = again.form();
        QCOMPARE(ui.cboTestedRange->currentText(), "Last 90 Days");
        QCOMPARE(ui.cboATEList->currentText(), "ATE-02");
        QCOMPARE(ui.txtSerialNumberFilter->text(), " SN%1 ");
        QVERIFY(ui.optIndividualPlot->isChecked() && !ui.optXBarPlot->isChecked());
        QCOMPARE(ui.cboXBarSize->currentText(), "9");
        QVERIFY(!ui.chkAcceptZero->isChecked() && !ui.chkOnlyPass->isChecked());
        QVERIFY(ui.chkLastDataOnly->isChecked() && ui.chkHideSpec->isChecked());
        QCOMPARE(again.state().gCustomDateFrom, QDate(2024, 2, 1));
        QCOMPARE(again.state().gCustomDateTo, QDate(2024, 2, 29));
    }

    void closingAnsweredCancelChangesNothing()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        touch(window.state().gRawDataFile, app.clock.now());
        frmMain::ChooseText(window.form().cboTestedRange, "Last 3 Days");
        app.prompts.answers.push_back(MsgAnswer::Cancel);

        QVERIFY(!window.close());
        QCOMPARE(app.prompts.texts(), QStringList{"Would you like to exit from program?."});
        QCOMPARE(app.prompts.messages.constFirst().buttons, MsgButtons::OKCancel);
        QVERIFY(QFile::exists(window.state().gRawDataFile));
        QCOMPARE(app.savedChoice("Range"), "Today");

        QVERIFY(window.close());
        QVERIFY(!QFile::exists(window.state().gRawDataFile));
        QCOMPARE(app.savedChoice("Range"), "Last 3 Days");
    }

    void tempFilesOfOtherDaysAreRemoved()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        const QDir temp(app.tempFolder());
        touch(temp.filePath("~0000001.spc"), app.clock.now().addDays(-1));
        touch(temp.filePath("~0000002.spc"), app.clock.now().addSecs(-3600));
        touch(temp.filePath("other.spc"), app.clock.now().addDays(-5));
        frmMain& window = app.start();

        QVERIFY(!temp.exists("~0000001.spc"));
        QVERIFY(temp.exists("~0000002.spc"));
        QVERIFY(temp.exists("other.spc"));
        const QFileInfo raw(window.state().gRawDataFile);
        QCOMPARE(raw.absolutePath(), temp.absolutePath());
        QVERIFY2(QRegularExpression("^~\\d{7}\\.spc$").match(raw.fileName()).hasMatch(), qPrintable(raw.fileName()));
        QVERIFY(!raw.exists());
    }

    void secondInstanceEndsWithoutSaving()
    {
        AppFixture app;
        app.rememberConfigFolder();
        QLockFile running(app.lockPath());
        QVERIFY(running.tryLock(0));

        app.start();
        QVERIFY(!app.loaded);
        QVERIFY(app.window->isShutDown());
        QCOMPARE(app.prompts.texts(), QStringList{"An instance Tessaly software is running!"});
        QCOMPARE(app.prompts.messages.constFirst().icon, MsgIcon::Information);
        QCOMPARE(app.window->form().cboProductName->count(), 0);
        QVERIFY(app.window->close());
        QCOMPARE(app.savedChoice("Range"), QString()); // nothing saved
    }

    void staleLockOfACrashedRunIsTakenOver()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        QFile lock(app.lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999\ntessaly\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        app.start();
        QVERIFY(app.loaded);
    }

    void failedDatabaseOffersAnotherFolder_data()
    {
        AddColumns<QByteArray, MsgAnswer, QStringList, bool>("database", "answer", "messages", "shutDown");
        const QString question = "Would you like to re-select the other INI? or click Cancel for exit from program.";
        QTest::newRow("no database keys, Cancel")
            << QByteArray("[Database]\r\n") << MsgAnswer::Cancel
            << QStringList{"Not found value in section Database, key DatabaseName or DataSourceName (ATE.INI)!",
                           question}
            << true;
        QTest::newRow("missing file, Retry and dialog cancelled")
            << QByteArray("[Database]\r\nDatabaseName=gone.sqlite\r\n") << MsgAnswer::Retry
            << QStringList{"Not found Database gone.sqlite!", question} << false;
    }

    void failedDatabaseOffersAnotherFolder()
    {
        const auto [database, answer, messages, shutDown] =
            FetchRow<QByteArray, MsgAnswer, QStringList, bool>("database", "answer", "messages", "shutDown");
        AppFixture app;
        app.writeConfigFile("ate.ini", "[ATE Configuration]\r\nTestProduct=Small\r\n" + database);
        app.rememberFolderAndRange();
        app.prompts.answers = {MsgAnswer::OK, answer};
        app.start();

        QCOMPARE(app.prompts.texts(), messages);
        QCOMPARE(app.prompts.messages.at(1).icon, MsgIcon::Question);
        QCOMPARE(app.prompts.messages.at(1).buttons, MsgButtons::RetryCancel);
        QCOMPARE(app.window->isShutDown(), shutDown);
        QCOMPARE(app.loaded, !shutDown);
        QCOMPARE(app.prompts.fileDialogCaptions.size(), shutDown ? 0 : 1);
        if (shutDown) {
            QVERIFY(app.savedChoice("INIPath") == app.configFolder()); // nothing was saved
            QVERIFY(app.savedChoice("XBar").isEmpty());
        }
    }

    void incompleteSpecificationLine()
    {
        AppFixture app;
        app.writeConfigFile("Products.INI", "[Small]\r\nTableName=Results\r\n[Small Spec]\r\n"
                                            "1=Vout,4.75,5.25,0,V,,Output Voltage\r\n2=Iin,0,2.5,0,A\r\n3=<EOT>\r\n");
        app.rememberFolderAndRange();
        Ui::frmMain& ui = app.start().form();
        QCOMPARE(app.prompts.texts(), QStringList{"Specification Info. in INI is not completed or missing at line#2!"});
        QCOMPARE(items(ui.cboDataParameters), QStringList{"Output Voltage"});
        QCOMPARE(ui.cboDataParameters->currentIndex(), -1);
        QCOMPARE(ui.cboATEList->count(), 4); // the database still opens
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
        const auto [chosen, messages] = FetchRow<bool, QStringList>("chosen", "messages");
        AppFixture app;
        app.rememberFolderAndRange();
        Ui::frmMain& ui = app.start().form();
        frmMain::ChooseText(ui.cboProductName, " Other Small");
        QTemporaryDir other;
        QFile::copy(QDir(app.configFolder()).filePath("ate.ini"), other.filePath("ATE.INI"));

        if (chosen) {
            app.prompts.fileNames.push_back(other.filePath("ATE.INI"));
        }
        frmMain::ChooseItem(ui.cboProductName, 0);
        QCOMPARE(app.prompts.texts(), messages);
        QCOMPARE(items(ui.cboProductName), (QStringList{"<Open INI>", "Small", " Other Small"}));
        QCOMPARE(ui.cboProductName->currentText(), " Other Small");
        QCOMPARE(QDir::currentPath(), QDir(chosen ? other.path() : app.configFolder()).absolutePath());
    }

    void productOpensEveryKindOfDatabase_data()
    {
        AddColumns<QString, QString, QString, QString, QStringList>("fixture", "table", "databaseType", "tableName",
                                                                    "sources");
        // The files' own reading is tested with the data layer; here the window's lists.
        const auto row = [](const char* fixture, const char* table, const char* tableName, const QStringList& sources) {
            QTest::newRow(fixture) << QString(fixture) << QString(table) << "ACCESS" << QString(tableName) << sources;
        };
        row("results_small_v2000.mdb", "[Other Results]", "[Other Results]", {"<All>", "ATE-01", "ATE-02"});
        row("results_small.xls", "Results", "[Results$]", {"<All>", "ATE-01", "ATE-02", "ATE-03"});
    }

    void productOpensEveryKindOfDatabase()
    {
        const auto [fixture, table] = FetchRow<QString, QString>("fixture", "table");
        AppFixture app;
        QFile::copy(qEnvironmentVariable("TESSALY_FIXTURES") + "/" + fixture,
                    QDir(app.configFolder()).filePath(fixture));
        app.writeConfigFile("ate.ini", "[ATE Configuration]\r\nTestProduct=Small\r\n[Database]\r\nDatabaseName=" +
                                           fixture.toUtf8() + "\r\n");
        app.writeConfigFile("Products.INI", "[Small]\r\nTableName=" + table.toUtf8() +
                                                "\r\n[Small Spec]\r\n1=Vout,4.75,5.25,0,V,,Vout\r\n2=<EOT>\r\n");
        app.rememberFolderAndRange();
        app.saveChoice("SourceFilter", "ATE-02");
        frmMain& window = app.start();

        QCOMPARE(app.prompts.texts(), QStringList());
        QTEST(window.state().gDatabaseType, "databaseType");
        QTEST(window.state().gTableName, "tableName");
        QTEST(items(window.form().cboATEList), "sources");
        QCOMPARE(window.form().cboATEList->currentText(), "ATE-02");
    }

    void refusedLoginLeavesNoDatabaseType()
    {
        AppFixture app;
        app.writeConfigFile("ate.ini", "[ATE Configuration]\r\nTestProduct=Small\r\n[Database]\r\n"
                                       "DatabaseName=Results\r\nUserName=sa\r\nServerName=127.0.0.1,1\r\n");
        app.rememberFolderAndRange();
        app.prompts.answers = {MsgAnswer::OK, MsgAnswer::Retry};
        frmMain& window = app.start();

        QCOMPARE(app.prompts.messages.size(), 2);
        QVERIFY(app.prompts.messages.at(0).text.endsWith("!"));
        QCOMPARE(app.prompts.messages.at(0).icon, MsgIcon::Exclamation);
        QCOMPARE(window.state().gDatabaseType, "");
        QCOMPARE(window.form().cboATEList->count(), 0);
    }

    void getSqlUsesTheWindowsChoices()
    {
        AppFixture app;
        app.clock.set(QDateTime(QDate(2024, 3, 7), QTime(15, 0)));
        app.rememberFolderAndRange();
        app.saveChoice("IgnoreZero", "0");
        frmMain& window = app.start();
        window.form().cboTestID->setCurrentIndex(window.form().cboTestID->findText("FT1"));

        Selection selection = window.currentSelection();
        selection.range = "Last 7 Days";
        selection.source = "ATE-02";
        selection.lastDataOnly = false;
        selection.serialFilter = "sn7";
        const auto sql = [&] {
            return SelectionSQL(window.state(), selection, app.clock.today(), app.prompts, "Vout", "",
                                "[TestStartTime], [ATEID]")
                .text;
        };
        QCOMPARE(sql(),
                 "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX FROM "
                 "Results WHERE [PassFail] = 'PASS' AND [ATEID] = 'ATE-02' AND [SerialNumber] = 'SN7' AND "
                 "[TestStartTime] BETWEEN '03/01/24 00:00:01 am' AND '03/07/24 11:59:59 pm' AND [TestID] = 'FT1' AND "
                 "[Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] <> -999 AND [Vout] <> 0 ORDER BY [TestStartTime], "
                 "[ATEID];");
        QCOMPARE(app.prompts.texts(), QStringList());

        // A custom range that was never entered cannot be used.
        selection.range = "Custom";
        QCOMPARE(sql(), "");
        QCOMPARE(app.prompts.texts(), QStringList{"Can not reach to custom date!"});
    }
};

TESSALY_TEST(TestMainWindow)
#include "tst_frmmain.moc"
