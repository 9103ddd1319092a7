#include "AppFixture.h"
#include "ControlChartLoader.h"
#include "DataRow.h"
#include "TestMain.h"
#include "frmScreening.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    // The screening window shows its result worst first and filters it by name; a double-click
    // closes it and the chooser and draws that parameter's individual chart.
    void screeningChartsTheChosenParameter()
    {
        AppFixture app;
        app.rememberFolder("Last 30 Days");
        frmMain& window = app.start();
        window.form().cboTestID->setCurrentIndex(0); // "<All>": the fixture's identifiers are not in ATE.INI
        QStringList shown, ranked;
        QString status;
        int picked = -1;
        bool chooserClosed = false;
        app.prompts.modalActions.push_back([&](QDialog& chooser) {
            chooser.findChild<QPushButton*>("cmdScreening")->click();
            chooserClosed = chooser.result() == QDialog::Accepted;
        });
        app.prompts.modalActions.push_back([&](QDialog& dialog) {
            auto& screening = static_cast<frmScreening&>(dialog);
            screening.Screen();
            const QAbstractItemModel* table = dialog.findChild<QTableView*>("tblScreening")->model();
            for (int r = 0; r < table->rowCount(); ++r) {
                shown.append(table->index(r, 0).data().toString());
                ranked.append(screening.result().rows.at(r).name);
            }
            // Each column of numbers in one format: as many decimals on every row.
            for (const int column : {3, 4, 7, 8, 9}) {
                QSet<qsizetype> decimals;
                for (int r = 0; r < table->rowCount(); ++r) {
                    const QString text = table->index(r, column).data().toString();
                    if (text != "N/A") {
                        decimals.insert(text.size() - text.indexOf('.'));
                    }
                }
                QVERIFY(decimals.size() <= 1);
            }
            picked = screening.result().rows.last().parameter; // the best, not the first row
            dialog.findChild<QLineEdit*>("txtFilter")->setText(ranked.last().toUpper());
            status = dialog.findChild<QLabel*>("lblStatus")->text();
            emit dialog.findChild<QTableView*>("tblScreening")->doubleClicked(table->index(0, 0));
        });
        window.form().cmdMoreCharts->click();
        QCOMPARE(app.prompts.modalWindows, (QStringList{"frmMoreChart", "frmScreening"}));
        QCOMPARE(shown, ranked);
        QCOMPARE(shown.size(), 4);
        QVERIFY2(status.startsWith("1 of 4 parameters, "), qPrintable(status));
        QVERIFY(chooserClosed && window.form().optIndividualPlot->isChecked() && window.lastPlot().drawn);
        QCOMPARE(window.form().cboDataParameters->currentIndex(), picked);
    }

    // The chooser copies the window's lists, saves its five choices on Close only, and gets them
    // back at the next opening.
    void moreChartsChooserKeepsItsChoices()
    {
        AppFixture app;
        app.rememberFolder();
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

        // A saved "1" with one source: the box stays off but checked, and its click turns the
        // (empty) source choosers on.
        QComboBox* sources = window.form().cboATEList;
        while (sources->count() > 2) {
            sources->removeItem(2);
        }
        bool checked = false;
        open([&](QDialog& d) {
            look(d);
            const auto* separate = d.findChild<QCheckBox*>("chkSeparateSource");
            checked = separate->isChecked() && !separate->isEnabled();
            d.reject();
        });
        QVERIFY(checked);
        QCOMPARE(shown, (QStringList{"Output: [Output Voltage]", "Efficiency", "", "", "sources on"}));
    }
};

TESSALY_TEST(TestDialogs)
#include "tst_dialogs.moc"
