#include "AppFixture.h"
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
        QCOMPARE(ui.txtLSL->text(), "4.75");
        QCOMPARE(ui.txtUSL->text(), "5.25");
        QCOMPARE(ui.lblTestParameter->text(), "Test Parameter (V)");
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
    }

    void parameterReactionShowsLimits_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("lsl");
        QTest::addColumn<QString>("usl");
        QTest::addColumn<QString>("caption");
        QTest::newRow("both limits") << 0 << "4.75"
                                     << "5.25"
                                     << "Test Parameter (V)";
        QTest::newRow("non-numeric LSL") << 1 << "N/A"
                                         << "2.5"
                                         << "Test Parameter (A)";
        QTest::newRow("USL of 999, no unit") << 2 << "0"
                                             << "N/A"
                                             << "Test Parameter";
    }

    void parameterReactionShowsLimits()
    {
        QFETCH(int, index);
        AppFixture app;
        app.rememberFolderAndRange();
        Ui::frmMain& ui = app.start().form();
        frmMain::ChooseItem(ui.cboDataParameters, index);
        QTEST(ui.txtLSL->text(), "lsl");
        QTEST(ui.txtUSL->text(), "usl");
        QTEST(ui.lblTestParameter->text(), "caption");
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
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("removedFile");
        QTest::addColumn<bool>("pickFile");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("dialogs");

        QTest::newRow("vanished folder, dialog cancelled") << "/no/such/folder"
                                                           << "" << false << QStringList{} << 1;
        QTest::newRow("folder lacks PRODUCTS.INI, dialog picks it")
            << "config"
            << "Products.INI" << true << QStringList{"Missing PRODUCTS.INI!."} << 1;
        QTest::newRow("folder lacks ATE.INI, dialog picks it")
            << "config"
            << "ate.ini" << true << QStringList{"Missing ATE.INI!."} << 1;
    }

    void folderProblemsAtStartUp()
    {
        QFETCH(QString, remembered);
        QFETCH(QString, removedFile);
        QFETCH(bool, pickFile);
        QFETCH(QStringList, messages);
        QFETCH(int, dialogs);
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
        QCOMPARE(app.prompts.fileDialogCaptions.size(), dialogs);
        QCOMPARE(items(ui.cboProductName), QStringList{"<Open INI>"});

        app.prompts.messages.clear();
        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);
        QCOMPARE(app.prompts.texts(), QStringList{"INI file is not loaded!"});
    }

    void startPlotChecksInOrder_data()
    {
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("range");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing selected") << -1 << -1 << -1 << "Please select product!";
        QTest::newRow("no parameter") << 1 << -1 << -1 << "Please select test parameter!";
        QTest::newRow("no range") << 1 << 0 << -1 << "Please select range!";
        QTest::newRow("all chosen") << 1 << 0 << 2 << "";
    }

    void startPlotChecksInOrder()
    {
        QFETCH(int, product);
        QFETCH(int, parameter);
        QFETCH(int, range);
        QFETCH(QString, message);
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

    void stopPlotAsks_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("No") << MsgAnswer::No << false;
        QTest::newRow("Yes") << MsgAnswer::Yes << true;
    }

    void stopPlotAsks()
    {
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, stopped);
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        window.EnableControls(false);
        QCOMPARE(window.form().cmdPlotChart->text(), "Stop Plot");
        QVERIFY(!window.form().cboProductName->isEnabled());
        app.prompts.answers.push_back(answer);
        QTest::mouseClick(window.form().cmdPlotChart, Qt::LeftButton);
        QCOMPARE(app.prompts.texts(), QStringList{"Stop plot SPC chart?"});
        QCOMPARE(app.prompts.messages.constFirst().buttons, MsgButtons::YesNo);
        QCOMPARE(window.state().gStopPlot, stopped);
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
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("shown");
        QTest::newRow("too small") << "1"
                                   << "5";
        QTest::newRow("too large") << "26"
                                   << "5";
        QTest::newRow("not a number") << "x"
                                      << "5";
        QTest::newRow("missing") << ""
                                 << "5";
        QTest::newRow("in range") << "12"
                                  << "12";
    }

    void restoresSavedSizes()
    {
        QFETCH(QString, saved);
        QFETCH(QString, shown);
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
        QFile file(app.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("HideUSL/LSL=1"));

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
        const QByteArray before = [&] {
            QFile f(app.settingsPath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();

        app.start();
        QVERIFY(!app.loaded);
        QVERIFY(app.window->isShutDown());
        QCOMPARE(app.prompts.texts(), QStringList{"An instance Tessaly software is running!"});
        QCOMPARE(app.prompts.messages.constFirst().icon, MsgIcon::Information);
        QCOMPARE(app.window->form().cboProductName->count(), 0);
        QVERIFY(app.window->close());
        QFile f(app.settingsPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
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
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("shutDown");
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
        QFETCH(QByteArray, database);
        QFETCH(MsgAnswer, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, shutDown);
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

    void openINIChoosesAnotherFolder()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        Ui::frmMain& ui = app.start().form();
        QTemporaryDir other;
        QFile::copy(QDir(app.configFolder()).filePath("ate.ini"), other.filePath("ATE.INI"));

        app.prompts.fileNames.push_back(other.filePath("ATE.INI"));
        frmMain::ChooseItem(ui.cboProductName, 0);
        QCOMPARE(app.prompts.texts(), QStringList{"Missing PRODUCTS.INI!."});
        QCOMPARE(items(ui.cboProductName), (QStringList{"<Open INI>", "Small", " Other Small"}));
        QCOMPARE(QDir::currentPath(), QDir(other.path()).absolutePath());
    }

    void productReactionUsesTheProductsColumns()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        frmMain::ChooseText(window.form().cboProductName, " Other Small");
        QCOMPARE(window.state().gATEIDField, "[SerialNumber]");
        QCOMPARE(window.state().gTestIDField, "[TestID]");
        QCOMPARE(window.form().cboATEList->count(), 512 + 1 /* distinct serial numbers and "<All>" */);
        QCOMPARE(items(window.form().cboDataParameters), QStringList{"Efficiency"});
    }

    void displayNamesFollowTheParameterList()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        window.GetTestParameterName();
        QCOMPARE(window.state().gParameterName,
                 (QStringList{"Output Voltage", "Input Current", "Ripple", "Efficiency"}));
        QCOMPARE(window.state().gINIFolder, app.configFolder());

        window.form().cboDataParameters->clear();
        window.GetTestParameterName();
        QCOMPARE(app.prompts.texts(), QStringList{"Not found parameters!"});
    }

    void productOpensEveryKindOfDatabase_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("databaseType");
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QStringList>("sources");
        const QStringList all{"<All>", "ATE-01", "ATE-02", "ATE-03"};
        QTest::newRow("Jet") << "results_small_v2000.mdb"
                             << "Results"
                             << "ACCESS"
                             << "Results" << all;
        QTest::newRow("Jet, table with a blank") << "results_small_v2000.mdb"
                                                 << "[Other Results]"
                                                 << "ACCESS"
                                                 << "[Other Results]" << QStringList{"<All>", "ATE-01", "ATE-02"};
        QTest::newRow("Jet 2003") << "results_small_v2003.mdb"
                                  << "Results"
                                  << "ACCESS"
                                  << "Results" << all;
        QTest::newRow("Excel") << "results_small.xls"
                               << "Results"
                               << "ACCESS"
                               << "[Results$]" << all;
        QTest::newRow("SQLite") << "results_small.sqlite"
                                << "Results"
                                << "SQLITE"
                                << "Results" << all;
    }

    void productOpensEveryKindOfDatabase()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, table);
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
                                "[TestStartTime], [ATEID]");
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

    void iniLabelsOpenTheFiles()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        Ui::frmMain& ui = app.start().form();
        QTest::mouseClick(ui.lblOpenATE_INI, Qt::LeftButton);
        QTest::mouseClick(ui.lblOpenProducts_INI, Qt::LeftButton);
        QCOMPARE(app.prompts.editedFiles, (QStringList{QDir(app.configFolder()).filePath("ate.ini"),
                                                       QDir(app.configFolder()).filePath("Products.INI")}));
    }
};

TESSALY_TEST(TestMainWindow)
#include "tst_frmmain.moc"
