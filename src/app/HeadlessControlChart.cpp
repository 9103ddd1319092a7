#include "HeadlessControlChart.h"

#include "Clock.h"
#include "ConsolePrompts.h"
#include "ControlChartMath.h"
#include "EventPump.h"
#include "FrozenLimits.h"
#include "LimitFile.h"
#include "TerminalStatus.h"

#include <QTextStream>

HeadlessControlChart::HeadlessControlChart(const QSize& size) : xbar(chart), constants(InitControlChartConstants())
{
    chart.resize(size); // the proportions of a PDF page's chart
    xbar.SetupRangeSeries();
}

int HeadlessControlChart::plot(HeadlessSession& session, const Selection& selection, const ControlChartChoice& choice,
                               ConsolePrompts& prompts, const Clock& clock, const EventPump& pump,
                               const QString& listingPath)
{
    SharedState& state = session.state;
    const int k = selection.parameter;
    state.gXBarSize = choice.subgroupSize;
    state.gRawDataFile = listingPath;
    ControlChartLoader loader(
        state, xbar, prompts, pump, constants, [](bool) {}, TerminalStatus());
    request = ControlChartRequest(state, selection, session.parameters.at(k), clock.today(), prompts);
    request.uslText = choice.usl.value_or(LimitText(state.gUSL.at(k), kNoUSL));
    request.lslText = choice.lsl.value_or(LimitText(state.gLSL.at(k), kNoLSL));
    request.subgroupSize = choice.subgroupSize;
    request.hideSpec = choice.hideSpec;
    request.ruleSet = choice.rules;
    request.limits = choice.limits;

    const qsizetype messagesBefore = prompts.messages().size();
    result = choice.individual ? loader.PlotIndividualChart(request) : loader.PlotXBarChart(request);
    if (result.drawn) {
        return HeadlessStatus::kOk;
    }
    const QStringList said = prompts.messages().mid(messagesBefore);
    // No records, or too few to compute from: the data's shape, not a failure.
    const bool noData = std::any_of(said.begin(), said.end(), [](const QString& m) {
        return m.contains(QLatin1String("data collection for this selected range")) || m.startsWith(kDivisionByZero);
    });
    return noData ? HeadlessStatus::kNoData : HeadlessStatus::kConfiguration;
}

int HeadlessChartLimits(const QString& command, std::optional<bool> frozen, bool stages, const SharedState& state,
                        const LimitKey& key, LimitsRequest& limits)
{
    const LimitFileRead file = ReadLimitFile(state.gINIFolder);
    if (!file.problem.isEmpty()) {
        if (frozen.value_or(false)) {
            return HeadlessFail(command, HeadlessStatus::kConfiguration, file.problem);
        }
        QTextStream(stderr) << "tessaly " << command << ": " << file.problem << "; the chart uses computed limits"
                            << Qt::endl;
    } else if (frozen.value_or(false) && !file.store.find(key)) {
        return HeadlessFail(command, HeadlessStatus::kConfiguration, QStringLiteral("no frozen limits for ") + key.text());
    }
    limits = LimitsFromFile(file, key, frozen.value_or(true), stages);
    return HeadlessStatus::kOk;
}

int FindParameter(const HeadlessSession& session, const QString& wanted)
{
    qsizetype found = FindListText(session.parameters, wanted);
    for (qsizetype k = 0; found < 0 && k < session.state.gParameterField.size(); ++k) {
        if (session.state.gParameterName.value(k).compare(wanted, Qt::CaseInsensitive) == 0 ||
            session.state.gParameterField.at(k).compare(wanted, Qt::CaseInsensitive) == 0) {
            found = k;
        }
    }
    return static_cast<int>(found);
}
