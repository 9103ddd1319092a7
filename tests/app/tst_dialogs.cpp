#include "AppFixture.h"
#include "SharedState.h"
#include "TestMain.h"
#include "frmAbout.h"
#include "frmRangePlot.h"
#include "frmTitle.h"
#include "ui_frmMain.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void customRange_data()
    {
        QTest::addColumn<QDate>("savedFrom");
        QTest::addColumn<QDate>("savedTo");
        QTest::addColumn<QDate>("shownFrom");
        QTest::addColumn<QDate>("pickFrom");
        QTest::addColumn<QDate>("pickTo");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QDate>("storedFrom");
        QTest::addColumn<QDate>("storedTo");

        const QDate none;
        const QDate def(2002, 7, 1);
        QTest::newRow("first showing, equal dates accepted")
            << none << none << def << QDate(2024, 3, 1) << QDate(2024, 3, 1) << true << QDate(2024, 3, 1)
            << QDate(2024, 3, 1);
        QTest::newRow("saved range shown, new one accepted")
            << QDate(2024, 1, 5) << QDate(2024, 1, 9) << QDate(2024, 1, 5) << QDate(2024, 2, 1) << QDate(2024, 2, 7)
            << true << QDate(2024, 2, 1) << QDate(2024, 2, 7);
        QTest::newRow("reversed range refused and cleared")
            << QDate(2024, 1, 5) << QDate(2024, 1, 9) << QDate(2024, 1, 5) << QDate(2024, 3, 2) << QDate(2024, 3, 1)
            << false << none << none;
    }

    void customRange()
    {
        QFETCH(QDate, savedFrom);
        QFETCH(QDate, savedTo);
        QFETCH(QDate, pickFrom);
        QFETCH(QDate, pickTo);
        QFETCH(bool, accepted);
        SharedState state;
        state.gCustomDateFrom = savedFrom;
        state.gCustomDateTo = savedTo;
        FakePrompts prompts;
        frmRangePlot dialog(state, prompts);
        QCOMPARE(dialog.windowTitle(), "Custom Range");
        QTEST(dialog.fromDate(), "shownFrom");
        QCOMPARE(dialog.toDate(), savedTo.isValid() ? savedTo : QDate(2002, 7, 1));

        dialog.setDates(pickFrom, pickTo);
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdDateEnterOK"), Qt::LeftButton);

        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(prompts.texts(),
                 accepted ? QStringList() : QStringList{"From-Date must be earlier or same as To-Date!"});
        QTEST(state.gCustomDateFrom, "storedFrom");
        QTEST(state.gCustomDateTo, "storedTo");
    }

    void cancelKeepsTheRange()
    {
        SharedState state;
        state.gCustomDateFrom = QDate(2024, 1, 5);
        state.gCustomDateTo = QDate(2024, 1, 9);
        FakePrompts prompts;
        frmRangePlot dialog(state, prompts);
        dialog.setDates(QDate(2020, 1, 1), QDate(2020, 1, 2));
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdDateCancelOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(state.gCustomDateFrom, QDate(2024, 1, 5));
        QCOMPARE(state.gCustomDateTo, QDate(2024, 1, 9));
    }

    void calendarsAreTitledFromAndTo()
    {
        SharedState state;
        FakePrompts prompts;
        frmRangePlot dialog(state, prompts);
        QStringList titles;
        for (const QCalendarWidget* calendar : dialog.findChildren<QCalendarWidget*>()) {
            titles.append(calendar->parentWidget()->property("title").toString() + ":" + calendar->objectName());
        }
        titles.sort();
        QCOMPARE(titles, (QStringList{"From:ocxDateFrom1", "To:ocxDateTo1"}));
    }

    void customChoiceOpensTheDialogWithSavedDates()
    {
        AppFixture app;
        app.rememberRange("Last 3 Days", "1/5/2024", "1/9/2024");
        frmMain& window = app.start();
        QDate shown;
        app.prompts.modalActions.push_back([&](QDialog& d) {
            auto& range = static_cast<frmRangePlot&>(d);
            shown = range.fromDate();
            range.setDates(QDate(2024, 3, 1), QDate(2024, 3, 7));
            range.cmdDateEnterOK_Click();
        });
        frmMain::ChooseText(window.form().cboTestedRange, "Custom");
        QCOMPARE(shown, QDate(2024, 1, 5));
        QCOMPARE(window.state().gCustomDateTo, QDate(2024, 3, 7));
        QCOMPARE(window.form().cboTestedRange->toolTip(), "Custom");
    }

    void unreadableSavedDateStaysZero()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        app.saveChoice("CustomStart", "31.01.2024");
        app.saveChoice("CustomEnd", "12/30/1899");
        frmMain& window = app.start();
        QVERIFY(!window.state().gCustomDateFrom.isValid());
        QVERIFY(!window.state().gCustomDateTo.isValid());
    }

    void versionTexts()
    {
        frmTitle splash;
        QCOMPARE(splash.versionText(), "Tessaly Pro Version: 1.0.0");
        frmAbout about;
        QCOMPARE(about.nameText(), "Tessaly Pro 1.0.0");
        QTest::mouseClick(about.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void aboutButtonOpensTheAboutWindow()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        QTest::mouseClick(window.form().cmdAbout, Qt::LeftButton);
        QCOMPARE(app.prompts.modalWindows, QStringList{"frmAbout"});
    }

    // The chooser copies the window's lists, saves its five choices on Close only, and gets them
    // back at the next opening.
    void moreChartsChooserKeepsItsChoices()
    {
        AppFixture app;
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        const auto open = [&](const std::function<void(QDialog&)>& act) {
            app.prompts.modalActions.push_back(act);
            window.form().cmdMoreCharts->click();
        };
        const auto box = [](QDialog& d, const char* name) { return d.findChild<QComboBox*>(name); };
        QStringList shown;
        const auto look = [&](QDialog& d) {
            shown =
                QStringList{box(d, "cboDataParametersX")->currentText(), box(d, "cboDataParametersY")->currentText(),
                            box(d, "cboSourceX")->currentText(), box(d, "cboSourceY")->currentText(),
                            box(d, "cboSourceY")->isEnabled() ? "sources on" : "sources off"};
        };
        open([&](QDialog& d) {
            look(d);
            d.findChild<QCheckBox*>("chkSeparateSource")->setChecked(true);
            box(d, "cboDataParametersY")->setCurrentIndex(3);
            box(d, "cboSourceY")->setCurrentIndex(2);
            d.findChild<QPushButton*>("cmdClose")->click();
        });
        QCOMPARE(shown, (QStringList{"Output: [Output Voltage]", "Input Current", "ATE-01", "ATE-02", "sources off"}));
        QStringList saved;
        for (const char* name : {"SeparateSource", "XParameter", "YParameter", "XSource", "YSource"}) {
            saved.append(app.savedChoice(name));
        }
        QCOMPARE(saved, (QStringList{"1", "Output: [Output Voltage]", "Efficiency", "ATE-01", "ATE-03"}));

        open([&](QDialog& d) {
            look(d);
            box(d, "cboDataParametersX")->setCurrentIndex(2);
            d.reject(); // left without Close: nothing saved
        });
        QCOMPARE(shown, (QStringList{"Output: [Output Voltage]", "Efficiency", "ATE-01", "ATE-03", "sources on"}));
        QCOMPARE(app.savedChoice("XParameter"), "Output: [Output Voltage]");
    }

    // One parameter: no scatter. One source besides "<All>": no separate sources.
    void moreChartsChooserNeedsTwoOfEach()
    {
        AppFixture app;
        app.writeResults(AppFixture::Series(4, {5}));
        app.rememberFolderAndRange();
        frmMain& window = app.start();
        window.form().cboATEList->removeItem(2);
        QStringList enabled;
        app.prompts.modalActions.push_back([&](QDialog& d) {
            for (const char* name : {"cmdHistogram", "cmdPareto", "cmdScatter", "chkSeparateSource"}) {
                if (d.findChild<QWidget*>(name)->isEnabled()) {
                    enabled.append(name);
                }
            }
        });
        window.form().cmdMoreCharts->click();
        QCOMPARE(enabled, (QStringList{"cmdHistogram", "cmdPareto"}));
    }
};

TESSALY_TEST(TestDialogs)
#include "tst_dialogs.moc"
