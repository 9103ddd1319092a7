#pragma once

#include "HeadlessOptions.h"
#include "Selection.h"
#include "SharedState.h"

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>
#include <functional>

class Clock;
class ConsolePrompts;
class EventPump;

// What the headless commands (`tessaly report`, `tessaly screen`) run on: the product opened as
// the main window opens it, and what the user could choose from in the window's lists.
struct HeadlessSession
{
    QString command;        // "report" or "screen", which every message of the run names
    QString product;        // as listed in ATE.INI, trimmed
    QStringList parameters; // the parameter list's texts
    QStringList testIds;    // "<All>" and the configured IDs
    QString defaultTestId;  // the one the window selects
    QStringList sources;    // the database's sources
    SharedState state;
};

// Exit statuses of the headless commands.
namespace HeadlessStatus {
inline constexpr int kOk = 0;
inline constexpr int kUsage = 2;
inline constexpr int kNoData = 3;
inline constexpr int kConfiguration = 4;
inline constexpr int kCannotWrite = 4; // an output file could not be written
} // namespace HeadlessStatus

// Writes "tessaly <command>: <text>" on standard error; returns status.
int HeadlessFail(const QString& command, int status, const QString& text);

// The index of the first text that matches without regard to case and surrounding blanks; -1.
qsizetype FindListText(const QStringList& texts, const QString& wanted);

// What a command does once its product is open and its selection made.
using HeadlessWork = std::function<int(HeadlessSession& session, const Selection& selection, ConsolePrompts& prompts,
                                       const Clock& clock, const EventPump& pump)>;

// Runs a command headless: with the configuration folder current while it runs, the product of
// the options opened and the selection made as the window would hold them (its parameter not
// chosen), messages on standard error. Refuses outputs (already absolute, or "-") that are files
// the run reads. Needs a QApplication.
int RunHeadless(const QString& command, const SelectionOptions& options, const QStringList& outputs,
                const HeadlessWork& work);

// The selection as the JSON outputs describe it: range with its two ends, source, serial, test
// ID and the three switches.
QJsonObject SelectionJson(const HeadlessSession& session, const Selection& selection, const QDate& today);

// Writes an output file under a temporary name until it is complete; "-" is standard output.
int WriteHeadlessOutput(const QString& command, const QString& path, const QByteArray& bytes);
