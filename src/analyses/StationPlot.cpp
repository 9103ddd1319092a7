#include "StationPlot.h"

#include "ChartControl.h"
#include "Formats.h"
#include "SharedState.h"
#include "StationChart.h"

#include <algorithm>

QStringList StationPanelCaptions()
{
    return {QStringLiteral("Sources:"), QStringLiteral("Values:"), QStringLiteral("ANOVA F:"),
            QStringLiteral("ANOVA p:"), QStringLiteral("Differing:")};
}

StationResult PlotStations(const AnalysisContext& context, StationChart& chart)
{
    StationResult result = CompareStations(context);
    if (result.outcome != AnalysisOutcome::Drawn) {
        return result;
    }
    if (context.refreshParameterNames) {
        context.refreshParameterNames();
    }
    const SharedState& state = context.state;
    const int k = context.selection.parameter;
    const QString unit = state.gUnit.value(k);
    const QString name = state.gParameterName.value(k);
    chart.Draw(result, unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + QLatin1Char(')'),
               state.gUSL.value(k, 999), state.gLSL.value(k, -999));
    chart.chart().subFoot().lines =
        QStringList{RangeFootLine(context)};

    const QString count = QStringLiteral("#,##0");
    qint64 values = 0;
    for (const StationRow& row : result.rows) {
        values += row.values.n;
    }
    const auto differing =
        std::count_if(result.rows.begin(), result.rows.end(), [](const StationRow& r) { return r.differs; });
    const QStringList lines{FormatNumber(static_cast<double>(result.rows.size()), count),
                            FormatNumber(static_cast<double>(values), count),
                            result.anova ? FormatNumber(result.anova->f, kValueFormat) : QStringLiteral("N/A"),
                            result.anova ? PValueText(result.anova->p) : QStringLiteral("N/A"),
                            FormatNumber(static_cast<double>(differing), count)};
    result.panelText = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    return result;
}
