#include "LimitsCommand.h"

#include "Clock.h"
#include "ConsolePrompts.h"
#include "FrozenLimits.h"
#include "HeadlessControlChart.h"
#include "LimitFileFormat.h"
#include "LimitsJson.h"
#include "LimitsOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const QString kLimitsCommand = QStringLiteral("limits");

int failLimits(int status, const QString& text)
{
    return HeadlessFail(kLimitsCommand, status, text);
}

// Changes the limit file of the configuration folder, telling on standard error when another
// writer holds it; kOk, or kConfiguration with the reason reported.
int changeLimits(const QString& folder, const LimitChange& what)
{
    const QString refused = ChangeLimitFile(
        folder, what, [](const QString& waiting) { QTextStream(stderr) << "tessaly limits: " << waiting << Qt::endl; });
    return refused.isEmpty() ? HeadlessStatus::kOk : failLimits(HeadlessStatus::kConfiguration, refused);
}

// What a command stored, listed or cleared: its text on standard output unless the JSON goes
// there, and the JSON where --json says.
int printStored(const LimitsOptions& o, const QString& text, const QJsonObject& json)
{
    if (o.json != QLatin1String("-")) {
        QTextStream(stdout) << text;
    }
    return o.json.isEmpty() ? HeadlessStatus::kOk
                            : WriteHeadlessOutput(kLimitsCommand, o.json, QJsonDocument(json).toJson());
}

int limitParameter(const LimitsOptions& o, const HeadlessSession& session, Selection& selection)
{
    selection.parameter = FindParameter(session, o.parameter);
    if (selection.parameter < 0) {
        return failLimits(HeadlessStatus::kUsage,
                          QStringLiteral("no parameter \"%1\" for product \"%2\"").arg(o.parameter, session.product));
    }
    return HeadlessStatus::kOk;
}

int freezeLimits(const LimitsOptions& o, HeadlessSession& session, const Selection& selection, ConsolePrompts& prompts,
                 const Clock& clock, const EventPump& pump)
{
    ControlChartChoice choice; // computed from every point of the selection: no set, no stages
    choice.individual = o.individual;
    choice.subgroupSize = o.size;
    HeadlessControlChart drawn(choice.imageSize);
    QTemporaryDir scratch;
    if (const int status = drawn.plot(session, selection, choice, prompts, clock, pump,
                                      scratch.filePath(QStringLiteral("listing.spc")));
        status != HeadlessStatus::kOk) {
        return status;
    }
    const LimitKey key = ControlChartKey(session.state, selection, o.individual, o.size);
    LimitSet set =
        FrozenFromDrawing(drawn.result, key, selection, drawn.constants, clock.now(), CurrentLoginName(), o.comment);
    // Stamped once the lock is held, so that the order of the stamps is the order of the writes.
    if (const int status = changeLimits(session.state.gINIFolder,
                                        [&set, &clock](LimitStore& store) {
                                            set.frozenAt = clock.now();
                                            store.freeze(set);
                                            return QString();
                                        });
        status != HeadlessStatus::kOk) {
        return status;
    }
    return printStored(o, LimitSetText(set), LimitSetJson(set));
}

int clearLimits(const LimitsOptions& o, HeadlessSession& session, const Selection& selection, const Clock& clock)
{
    const LimitKey key = ControlChartKey(session.state, selection, o.individual, o.size);
    std::optional<LimitSet> cleared;
    const int status = changeLimits(session.state.gINIFolder, [&](LimitStore& store) {
        const LimitSet* set = store.find(key);
        if (!set) {
            return QStringLiteral("no frozen limits for ") + key.text();
        }
        cleared = *set;
        store.clear(key, clock.now(), CurrentLoginName());
        return QString();
    });
    if (status != HeadlessStatus::kOk) {
        return cleared ? status : HeadlessStatus::kNoData;
    }
    return printStored(o, LimitSetText(*cleared), LimitSetJson(*cleared));
}

int changeStage(const LimitsOptions& o, HeadlessSession& session, const Selection& selection, const Clock& clock)
{
    StageStart stage;
    stage.product = session.product;
    stage.parameter = session.state.gParameterField.at(selection.parameter);
    stage.start = o.at;
    stage.name = o.name;
    stage.addedAt = clock.now();
    stage.addedBy = CurrentLoginName();
    bool missing = false;
    const int status = changeLimits(session.state.gINIFolder, [&](LimitStore& store) {
        if (o.remove) {
            missing = !store.removeStage(stage.product, stage.parameter, stage.start);
            return missing ? QStringLiteral("no stage of %1, %2 starts at %3")
                                 .arg(stage.product, stage.parameter,
                                      stage.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                           : QString();
        }
        store.addStage(stage);
        return QString();
    });
    if (status != HeadlessStatus::kOk) {
        return missing ? HeadlessStatus::kNoData : status;
    }
    if (!o.remove) {
        QTextStream(stdout) << StageText(stage);
    }
    return HeadlessStatus::kOk;
}

int listLimits(const LimitsOptions& o)
{
    const LimitFileRead file = ReadLimitFile(o.config);
    if (!file.problem.isEmpty()) {
        return failLimits(HeadlessStatus::kConfiguration, file.problem);
    }
    const auto ofProduct = [&o](const QString& product) {
        return o.product.isEmpty() || product.trimmed().compare(o.product.trimmed(), Qt::CaseInsensitive) == 0;
    };
    QString text;
    QJsonArray sets, history, stages;
    for (const auto& [from, to] : {std::pair{&file.store.sets, &sets}, std::pair{&file.store.history, &history}}) {
        for (const LimitSet& set : *from) {
            if (ofProduct(set.key.product)) {
                text += LimitSetText(set) + QLatin1Char('\n');
                to->append(LimitSetJson(set));
            }
        }
    }
    for (const StageStart& stage : file.store.stages) {
        if (ofProduct(stage.product)) {
            text += StageText(stage) + QLatin1Char('\n');
            stages.append(StageJson(stage));
        }
    }
    return printStored(o, text,
                       QJsonObject{{QStringLiteral("sets"), sets},
                                   {QStringLiteral("history"), history},
                                   {QStringLiteral("stages"), stages}});
}

} // namespace

int LimitsCommand::Run(const QStringList& arguments)
{
    LimitsOptions o;
    try {
        o = ReadLimitsOptions(arguments);
    } catch (const UsageError& e) {
        return failLimits(HeadlessStatus::kUsage, e.message);
    }
    if (o.action == QLatin1String("list")) {
        if (!QFileInfo(o.config).isDir()) {
            return failLimits(HeadlessStatus::kConfiguration,
                              QStringLiteral("no such configuration folder: ") + o.config);
        }
        return listLimits(o);
    }
    return RunHeadless(kLimitsCommand, o, {o.json},
                       [&o](HeadlessSession& session, const Selection& chosen, ConsolePrompts& prompts,
                            const Clock& clock, const EventPump& pump) {
                           Selection selection = chosen;
                           if (const int status = limitParameter(o, session, selection);
                               status != HeadlessStatus::kOk) {
                               return status;
                           }
                           if (o.action == QLatin1String("freeze")) {
                               return freezeLimits(o, session, selection, prompts, clock, pump);
                           }
                           return o.action == QLatin1String("clear") ? clearLimits(o, session, selection, clock)
                                                                     : changeStage(o, session, selection, clock);
                       });
}

QString LimitsCommand::HelpText()
{
    return LimitsHelpText();
}
