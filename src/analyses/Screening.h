#pragma once

#include "AnalysisContext.h"
#include "ControlChartMath.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <functional>

// Process screening: every parameter of a product judged in one pass over the selection, so that
// the parameters in trouble show first. The numbers are the ones the histogram and the
// individual chart show for the same selection, one parameter at a time.

// One parameter's line. A parameter without values in the selection has n 0 and every statistic
// and limit absent. An absent number shows as "N/A".
struct ScreeningRow
{
    int parameter = -1; // index into the product's parameter list (Selection::parameter)
    QString name;       // the display name (gParameterName)
    QString unit;
    qint64 n = 0;
    Statistic mean; // unrounded
    Statistic sd;   // divisor N - 1, unrounded; absent below two values
    Statistic lsl;  // absent for a limit of -999 / 999 (no limit)
    Statistic usl;
    Statistic pp;         // the histogram's, rounded to 3 decimals; absent where the histogram shows "N/A"
    Statistic ppk;        // or stops before its indices (fewer than four values, a mean or SD of 0)
    Statistic cpk;        // the individual chart's (estimated sigma = mean moving range / 1.128), as its panel shows it
    qint64 outOfSpec = 0; // values above the USL or below the LSL present
    Statistic outOfSpecPercent; // 100 * outOfSpec / n; absent when n is 0
    qint64 beyondLimits = 0;    // individual values beyond the chart's control limits (before rounding)
    qint64 weSignals = 0;       // individual values that complete a Western Electric rule
    // Cpk, beyondLimits and weSignals are judged against the frozen individual-chart limits of
    // the parameter (of the selection's source) when the limit file holds a set, else against
    // limits computed from the values.
    bool frozenLimits = false;
    QString note; // why the histogram's indices are missing ("Division by zero", ...); "" otherwise
};

// What one screening read and computed.
struct ScreeningResult
{
    // Drawn: rows filled. NoChart: the range cannot be used, or no parameter has a value in the
    // selection (the user has been told through the prompts). Failed: a run-time error, shown as error + "!".
    // A stopped screening ends NoChart with stopped set, silently.
    AnalysisOutcome outcome = AnalysisOutcome::NoChart;
    bool stopped = false;
    qint64 records = 0;       // rows the statement returned
    QList<ScreeningRow> rows; // worst first (SortWorstFirst)
    QString error;            // the description of a failure
    QString limitFileProblem; // why the limit file could not be used (every row computed); "" otherwise
};

// Called while the screening runs, at most every ~30 ms and once at the end: what it is doing
// (LoadStepText while the statement's rows arrive, then kScreeningStatus) and how far it got:
// rows read of the total the engine tells (0 when it tells none), then values screened of
// records x parameters (each parameter's column is one pass over the records). Returning false
// stops the screening.
using ScreeningProgress = std::function<bool(const QString& status, qint64 done, qint64 total)>;
inline const QString kScreeningStatus = QStringLiteral("Screening the parameters…");

// The one statement of a screening: the selection's rows with every parameter column of the
// product (Value0, Value1, ... in parameter order), in no particular order. Empty when the range
// cannot be used (the user has been told why).
SqlText ScreeningStatement(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts);

// Screens every parameter of the context's product for its selection (the selection's parameter
// index is ignored): one statement on the shared connection that reads every parameter column,
// each column's values kept by its parameter's own rules (Null, 999, -999 and, without
// acceptZero, 0 dropped; with lastDataOnly the largest value per serial, source and start time),
// in the individual chart's order (start time, then source). A value that is not a finite number
// is a run-time error naming it. Lets window events run through context.pump while reading. The
// limit file of the configuration folder (the current folder) is read once.
ScreeningResult ScreenParameters(const AnalysisContext& context, const ScreeningProgress& progress = {});

// Worst first: Ppk ascending, rows without a Ppk last; equal rows keep their order.
void SortWorstFirst(QList<ScreeningRow>& rows);

// The columns of the table, in the order every output shows them.
enum class ScreeningColumn
{
    Parameter,
    Unit,
    N,
    Mean,
    SD,
    LSL,
    USL,
    Pp,
    Ppk,
    Cpk,
    OutOfSpec,
    OutOfSpecPercent,
    BeyondLimits,
    Signals,
    Limits,
};
inline constexpr int kScreeningColumnCount = int(ScreeningColumn::Limits) + 1;

// The columns of text rather than numbers: Parameter, Unit, Limits.
bool IsScreeningTextColumn(ScreeningColumn column);

// The column's header text ("Parameter", "Unit", "N", "Mean", "SD", "LSL", "USL", "Pp", "Ppk",
// "Cpk", "Out of spec", "Out of spec %", "Beyond limits", "WE signals", "Limits").
QString ScreeningCaption(ScreeningColumn column);

// A cell as the table shows it: counts "#,##0", mean, SD and limits "#,##0.0##" (more decimals
// for small values, up to 6 significant digits), indices "#,##0.0##", the percentage "0.00",
// "N/A" for an absent statistic, "frozen" or "computed" for the control limits used.
QString ScreeningText(const ScreeningRow& row, ScreeningColumn column);

// The decimals a column shows so that all its numbers share one format: as many as its most
// precise number needs under the rules above (at least one), two for the percentage, none for counts.
int ScreeningDecimals(const QList<ScreeningRow>& rows, ScreeningColumn column);
// A cell with that many decimals, in a table of rows that share them.
QString ScreeningText(const ScreeningRow& row, ScreeningColumn column, int decimals);

// A cell's number for sorting; std::nullopt for the text columns and absent statistics.
Statistic ScreeningNumber(const ScreeningRow& row, ScreeningColumn column);

// The rows as CSV (header line, then one line per row in the result's order, CR LF): numbers
// unrounded in the C locale, "N/A" for absent statistics, text quoted when needed.
QByteArray ScreeningCsv(const ScreeningResult& result);

// {"records": n, "parameters": [{"parameter", "unit", "n", "mean", "sd", "lsl", "usl", "pp", "ppk",
// "cpk", "outOfSpec", "outOfSpecPercent", "beyondLimits", "signals", "limits", "note"}]} with null
// for an absent statistic.
QJsonObject ScreeningJson(const ScreeningResult& result);

// A self-contained HTML page (no outside resources) with title as heading and the table, worst
// first, sortable by clicking a header; Ppk below 1.0 and below 1.33 coloured.
QByteArray ScreeningHtml(const ScreeningResult& result, const QString& title);
