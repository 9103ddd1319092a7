#include "HistogramValues.h"

#include "AnalysisQuery.h"
#include "Clock.h"
#include "FiniteNumberReader.h"
#include "QueryStream.h"
#include "SharedState.h"

#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Takes the values of the histogram's own statement, in its order.
bool takeInOrder(const RowBatch& batch, const QStringList& names, const QString& column, std::vector<double>& values,
                 QString& error)
{
    const RecordColumn& numbers = batch.field(names, "ValueX"_L1);
    for (qint64 row = 0; row < batch.rows; ++row) {
        const std::optional<double> value = FiniteNumber(numbers, row);
        if (!value) {
            error = NotANumberText(numbers.at(row), column, qint64(values.size()) + 1,
                                   batch.field(names, "SNX"_L1).text(row));
            return false;
        }
        values.push_back(*value);
    }
    return true;
}

} // namespace

ValuesRead ReadHistogramValues(const AnalysisContext& context, HistogramValues& out, QString& error)
{
    std::vector<double>& values = out.values;
    const SharedState& state = context.state;
    const Selection& selection = context.selection;
    const QString column = state.gParameterField.value(selection.parameter);
    const QDate today = context.clock.today();
    // Every record's values come in the same order either way: only groups need ordering.
    bool program = selection.lastDataOnly && OrdersInProgram(context.orderedBy, *state.gConnection);
    for (;;) {
        values.clear();
        const SqlText sql = program ? SelectionRowsSQL(state, selection, today, context.prompts, column)
                                    : SelectionSQL(state, selection, today, context.prompts, column,
                                                   QStringLiteral("Histogram"), QString());
        if (sql.isEmpty()) {
            return ValuesRead::NoStatement;
        }
        QueryStream stream;
        std::optional<EngineOrder> order;
        std::vector<double> numbers; // per row read, when the program groups them
        const BatchesRead read = ReadBatches(
            context, stream, sql,
            [&](const RowBatch& batch, const QStringList& names) {
                if (!program) {
                    return takeInOrder(batch, names, column, values, error);
                }
                const RecordColumn& read = batch.field(names, "ValueX"_L1);
                if (!order) {
                    order.emplace(EngineOrder::Order::Serial, true, stream.fieldOrder("SNX"_L1),
                                  stream.fieldOrder("ATEX"_L1));
                }
                // The largest value of a group is the engine's only when all are numbers.
                if (!order->add(batch.field(names, "SNX"_L1), batch.field(names, "ATEX"_L1),
                                batch.field(names, "DateX"_L1), batch.rows) ||
                    read.kind != RecordColumn::Kind::Number) {
                    return false;
                }
                numbers.insert(numbers.end(), read.numbers.cbegin(), read.numbers.cend());
                return true;
            },
            error);
        if (read == BatchesRead::Failed || (read == BatchesRead::Ended && !program)) {
            return ValuesRead::Failed;
        }
        if (read == BatchesRead::Ended) {
            program = false; // keys the program cannot group exactly: the engine groups them
            continue;
        }
        out.orderedBy = program ? OrderedBy::Program : OrderedBy::Engine;
        if (program && order) {
            const EngineOrder::Sequence sequence = order->sequence();
            const quint32* rows = sequence.rows.data();
            values.reserve(sequence.groupEnds.size());
            quint32 first = 0;
            for (const quint32 end : sequence.groupEnds) {
                const quint32 row =
                    MaxRow(rows + first, rows + end, [&](quint32 a, quint32 b) { return numbers[a] < numbers[b]; });
                if (!UsableNumber(numbers[row])) {
                    error = NotANumberText(numbers[row], column, qint64(values.size()) + 1, order->serialText(row));
                    return ValuesRead::Failed;
                }
                values.push_back(numbers[row]);
                first = end;
            }
        }
        return ValuesRead::Done;
    }
}
