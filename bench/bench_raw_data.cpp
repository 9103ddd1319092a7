// Opening the raw data list on the last point of a 1,000,000-record individual chart whose
// listing the loader wrote: construction to the window shown with the point's row selected
// (median of 5), and how much resident memory the open window adds.
#include "BenchSupport.h"
#include "FreedMemory.h"
#include "SharedState.h"
#include "frmRawData.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QListView>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    NoiseMeter noise;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchWindow bench;
    Ui::frmMain& ui = bench.window.form();
    ui.optIndividualPlot->setChecked(true);
    ui.cmdPlotChart->click();
    const SharedState& state = bench.window.state();
    const qint64 point = ui.ocxXBarChart->pointCount(0) - 1;

    std::vector<double> openRuns;
    double growthMiB = 0;
    bool selected = true;
    for (int run = 0; run < 5; ++run) {
        const qint64 before = residentKiB();
        std::unique_ptr<frmRawData> dialog;
        openRuns.push_back(1000 * noise.measure("raw data list open", [&] {
            dialog = std::make_unique<frmRawData>(state.gRawDataFile, true, point, state.gXBarSize, bench.prompts,
                                                  &bench.window);
            dialog->show();
            QCoreApplication::processEvents();
        }));
        growthMiB = std::max(growthMiB, (residentKiB() - before) / 1024.0);
        const auto* list = dialog->findChild<QListView*>(QStringLiteral("lstRawData"));
        selected = selected && list->model()->rowCount() == point + 1 &&
                   list->selectionModel()->isRowSelected(static_cast<int>(point));
    }
    const double openMs = median(openRuns);
    std::printf("raw_data: %lld rows, point %lld %s, open %.1f ms (runs:", point + 1, point,
                selected ? "selected" : "NOT selected", openMs);
    for (const double ms : openRuns) {
        std::printf(" %.1f", ms);
    }
    std::printf("), resident memory +%.1f MB while open\n", growthMiB);
    std::printf("RESULT raw_data_open value=%.1f target=300 %s\n", openMs, noise.verdict(selected && openMs <= 300));
    std::printf("RESULT raw_data_memory value=%.1f target=64 %s\n", growthMiB, growthMiB <= 64 ? "pass" : "fail");
    return 0;
}
