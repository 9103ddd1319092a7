#include "WatchCommand.h"

#include "ChartOutput.h"
#include "Clock.h"
#include "ConsolePrompts.h"
#include "FrozenLimits.h"
#include "HeadlessControlChart.h"
#include "LiveChart.h"
#include "SignalAnnouncer.h"
#include "StopRequest.h"
#include "WatchOptions.h"
#include "WatchState.h"
#include "XBarChart.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

const QString kWatchCommand = QStringLiteral("watch");

int fail(int status, const QString& text)
{
    return HeadlessFail(kWatchCommand, status, text);
}

void say(const QString& text)
{
    QTextStream(stderr) << "tessaly watch: " << text << Qt::endl;
}

void announceAll(SignalAnnouncer& announcer, const std::vector<LiveSignal>& found)
{
    QString error;
    for (const LiveSignal& signal : found) {
        if (!announcer.announce(signal, &error)) {
            say(error);
        }
    }
}

// One check against the state file: the signals at points its last check had not drawn (every
// signal on a first check) are announced, and the state moves to where the chart ends now.
int checkOnce(const WatchOptions& o, const LiveChart& live, qint64 points, SignalAnnouncer& announcer)
{
    std::optional<WatchState> last;
    QString error;
    if (!ReadWatchState(o.stateFile, last, &error)) {
        return fail(HeadlessStatus::kConfiguration, error);
    }
    // The points the last check had not drawn are the last ones.
    qint64 firstNew = points;
    while (firstNew > 0 && (!last || last->isNew(live, firstNew - 1))) {
        --firstNew;
    }
    const std::vector<LiveSignal> fresh = live.drawnSignals(firstNew);
    announceAll(announcer, fresh);
    if (!WriteWatchState(o.stateFile, WatchState::Of(live, points), &error)) {
        return fail(HeadlessStatus::kCannotWrite, error);
    }
    return fresh.empty() ? WatchCommand::kOk : WatchCommand::kNewSignals;
}

// The chart as it stands, when asked for; a failure is said and watching goes on.
void writePicture(const WatchOptions& o, const ChartControl& chart)
{
    QString error;
    if (!o.png.isEmpty() && !WriteChartFile(chart, o.png, ChartFileFormat::Png, &error)) {
        say(error);
    }
}

// Refreshes every interval until SIGINT or SIGTERM, which end the run once a refresh in progress
// is done. A database that cannot be read is said once and tried again at the next interval.
int follow(const WatchOptions& o, LiveChart& live, const ChartControl& chart, SignalAnnouncer& announcer,
           const Clock& clock)
{
    writePicture(o, chart);
    const StopRequest stop;
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(o.intervalSeconds * 1000);
    QString lastError;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        const RefreshOutcome outcome = live.refresh(clock.today());
        if (outcome.error != lastError) {
            say(outcome.error.isEmpty() ? QStringLiteral("the database can be read again") : outcome.error);
            lastError = outcome.error;
        }
        announceAll(announcer, outcome.newSignals);
        if (outcome.newPoints > 0 || outcome.droppedPoints > 0) {
            writePicture(o, chart);
        }
    });
    QObject::connect(&stop, &StopRequest::requested, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
    return WatchCommand::kOk;
}

int watch(const WatchOptions& o, HeadlessSession& session, const Selection& chosen, ConsolePrompts& prompts,
          const Clock& clock, const EventPump& pump)
{
    Selection selection = chosen;
    selection.parameter = FindParameter(session, o.parameter);
    if (selection.parameter < 0) {
        return fail(HeadlessStatus::kUsage,
                    QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(o.parameter, session.product));
    }
    ControlChartChoice choice;
    choice.individual = o.chart == QLatin1String("individual");
    choice.subgroupSize = o.size;
    choice.usl = o.usl;
    choice.lsl = o.lsl;
    choice.rules = o.rules;
    const LimitKey key = ControlChartKey(session.state, selection, choice.individual, o.size);
    if (const int status = HeadlessChartLimits(kWatchCommand, o.frozenLimits, o.stages, session.state, key,
                                               choice.limits);
        status != HeadlessStatus::kOk) {
        return status;
    }
    // Holds the raw-data listing while the command runs, readable by the user only.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return fail(HeadlessStatus::kCannotWrite, QStringLiteral("Cannot write the raw-data listing in %1: %2")
                                                      .arg(QDir::toNativeSeparators(QDir::tempPath()), scratch.errorString()));
    }
    HeadlessControlChart drawn(choice.imageSize);
    if (const int status =
            drawn.plot(session, selection, choice, prompts, clock, pump, scratch.filePath(QStringLiteral("listing.spc")));
        status != HeadlessStatus::kOk) {
        return status;
    }
    // Nobody pages a chart that is watched: it shows the newest points, and follows them.
    drawn.chart.setCurrentPage(drawn.chart.pageCount());
    drawn.xbar.WritePageLine(session.state.gChartTitle);
    LiveChart live(session.state, drawn.xbar, drawn.constants, drawn.request, drawn.result);
    SignalAnnouncer announcer(session.product, session.parameters.value(selection.parameter).trimmed(), o.jsonLines,
                              o.exec);
    QString error;
    if (!announcer.open(&error)) {
        return fail(HeadlessStatus::kCannotWrite, error);
    }
    if (o.once) {
        return checkOnce(o, live, drawn.chart.pointCount(XBarChart::kDataSeries), announcer);
    }
    say(QStringLiteral("%1 points drawn, %2 signals; refreshing every %3 s")
            .arg(drawn.chart.pointCount(XBarChart::kDataSeries))
            .arg(drawn.result.outOfControl.summary().points)
            .arg(o.intervalSeconds));
    return follow(o, live, drawn.chart, announcer, clock);
}

} // namespace

QString WatchCommand::HelpText()
{
    return WatchHelpText();
}

int WatchCommand::Run(const QStringList& arguments)
{
    WatchOptions o;
    try {
        o = ReadWatchOptions(arguments);
    } catch (const UsageError& e) {
        return fail(kUsage, e.message);
    }
    return RunHeadless(kWatchCommand, o, {o.jsonLines, o.stateFile, o.png},
                       [&o](HeadlessSession& session, const Selection& chosen, ConsolePrompts& prompts,
                            const Clock& clock, const EventPump& pump) {
                           return watch(o, session, chosen, prompts, clock, pump);
                       });
}
