#include "ParetoSums.h"

#include "AnalysisQuery.h"
#include "FiniteNumberReader.h"
#include "Clock.h"
#include "FiniteNumberReader.h"
#include "QueryStream.h"
#include "SharedState.h"

#include <cmath>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The sums of one statement per parameter, each in its statement's order.
ValuesRead sumEachParameter(const AnalysisContext& context, ParetoSums& out, QString& error)
{
    const SharedState& state = context.state;
    for (const QString& parameter : state.gParameterField) {
        const SqlText sql = SelectionSQL(state, context.selection, context.clock.today(), context.prompts, parameter,
                                         QStringLiteral("Pareto"), QString());
        if (sql.isEmpty()) {
            return ValuesRead::NoStatement;
        }
        QueryStream stream;
        double sum = 0;
        qint64 rows = 0;
        const BatchesRead read = ReadBatches(
            context, stream, sql,
            [&](const RowBatch& batch, const QStringList& names) {
                const RecordColumn& values = batch.field(names, "ValueX"_L1);
                for (qint64 row = 0; row < batch.rows; ++row) {
                    const std::optional<double> value = FiniteNumber(values, row);
                    if (!value) {
                        error =
                            NotANumberText(values.at(row), parameter, rows + 1, batch.field(names, "SNX"_L1).text(row));
                        return false;
                    }
                    sum += *value;
                    ++rows;
                }
                return true;
            },
            error);
        if (read != BatchesRead::Done) {
            return ValuesRead::Failed;
        }
        if (out.sums.isEmpty()) {
            out.rows = rows;
        }
        out.sums.append(sum);
    }
    return ValuesRead::Done;
}

// One parameter's values in a pass over every column, summed as its own statement sums them.
struct ColumnSum
{
    QString column;
    double sum = 0;
    qint64 count = 0;
    QString error; // the first value that is no finite number

    void add(double value, const QString& serial)
    {
        if (!error.isEmpty()) {
            return;
        }
        if (!UsableNumber(value)) {
            error = NotANumberText(value, column, count + 1, serial);
            return;
        }
        sum += value;
        ++count;
    }
};

// The value a parameter's statement keeps: Null, the missing-measurement markers and (unless
// zero is accepted) 0 are left out, as NaN.
double kept(const RecordColumn& values, qint64 row, bool acceptZero)
{
    const auto r = static_cast<size_t>(row);
    if (values.kind != RecordColumn::Kind::Number || values.nulls[r]) {
        return std::nan("");
    }
    const double value = values.numbers[r];
    return value == 999 || value == -999 || (value == 0 && !acceptZero) ? std::nan("") : value;
}

enum class OnePass
{
    Read,
    Inexact, // a column the program cannot read as the parameter's statement does
};

// Every parameter's sum from one statement that reads every column. Only columns of numbers
// can be kept exactly as the engine keeps them.
std::pair<ValuesRead, OnePass> sumInOnePass(const AnalysisContext& context, ParetoSums& out, QString& error)
{
    const SharedState& state = context.state;
    const Selection& selection = context.selection;
    const SqlText sql =
        SelectionSQL(state, selection, context.clock.today(), context.prompts,
                     state.gParameterField.join(QStringLiteral(":::")), QStringLiteral("Screening"), QString());
    if (sql.isEmpty()) {
        return {ValuesRead::NoStatement, OnePass::Read};
    }
    std::vector<ColumnSum> columns;
    std::vector<QByteArray> aliases;
    for (qsizetype k = 0; k < state.gParameterField.size(); ++k) {
        columns.emplace_back().column = state.gParameterField[k];
        aliases.push_back("Value" + QByteArray::number(k));
    }
    const bool grouped = selection.lastDataOnly;
    std::optional<EngineOrder> order;
    std::vector<std::vector<double>> values(columns.size()); // per column and row read, when grouped
    QueryStream stream;
    bool exact = true;
    const BatchesRead read = ReadBatches(
        context, stream, sql,
        [&](const RowBatch& batch, const QStringList& names) {
            const RecordColumn& serials = batch.field(names, "SNX"_L1);
            if (grouped) {
                if (!order) {
                    order.emplace(EngineOrder::Order::Serial, true, stream.fieldOrder("SNX"_L1),
                                  stream.fieldOrder("ATEX"_L1));
                }
                exact = order->add(serials, batch.field(names, "ATEX"_L1), batch.field(names, "DateX"_L1), batch.rows);
            }
            for (size_t k = 0; k < columns.size() && exact; ++k) {
                const RecordColumn& column = batch.field(names, QLatin1StringView(aliases[k]));
                exact = column.kind == RecordColumn::Kind::Number || column.kind == RecordColumn::Kind::Unknown;
                for (qint64 row = 0; row < batch.rows && exact; ++row) {
                    const double value = kept(column, row, selection.acceptZero);
                    if (grouped) {
                        values[k].push_back(value);
                    } else if (!std::isnan(value)) {
                        columns[k].add(value, serials.text(row));
                    }
                }
            }
            return exact;
        },
        error);
    if (read == BatchesRead::Failed) {
        return {ValuesRead::Failed, OnePass::Read};
    }
    if (!exact) {
        return {ValuesRead::Done, OnePass::Inexact};
    }
    if (order) {
        // Each group's largest kept value, the groups in the engine's order.
        const EngineOrder::Sequence sequence = order->sequence();
        const quint32* rows = sequence.rows.data();
        for (size_t k = 0; k < columns.size(); ++k) {
            const std::vector<double>& column = values[k];
            const auto smaller = [&column](quint32 a, quint32 b) {
                return std::isnan(column[a]) ? !std::isnan(column[b]) : column[a] < column[b];
            };
            quint32 first = 0;
            for (const quint32 end : sequence.groupEnds) {
                const quint32 row = MaxRow(rows + first, rows + end, smaller);
                if (!std::isnan(column[row])) {
                    columns[k].add(column[row], order->serialText(row));
                }
                first = end;
            }
        }
    }
    for (const ColumnSum& column : columns) {
        if (!column.error.isEmpty()) {
            error = column.error;
            return {ValuesRead::Failed, OnePass::Read};
        }
        out.sums.append(column.sum);
    }
    out.rows = columns.empty() ? 0 : columns.front().count;
    return {ValuesRead::Done, OnePass::Read};
}

} // namespace

ValuesRead ReadParetoSums(const AnalysisContext& context, ParetoSums& out, QString& error)
{
    out = {};
    if (OrdersInProgram(context.orderedBy, *context.state.gConnection)) {
        const auto [read, pass] = sumInOnePass(context, out, error);
        if (pass == OnePass::Read) {
            out.orderedBy = OrderedBy::Program;
            return read;
        }
        out = {};
    }
    return sumEachParameter(context, out, error);
}
