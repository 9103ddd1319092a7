#pragma once

#include "AnalysisQuery.h"

#include <QString>
#include <vector>

struct HistogramValues
{
    std::vector<double> values;
    // Who grouped the records: the engine also when its statement needs no grouping.
    OrderedBy orderedBy = OrderedBy::Engine;
};

// The values of the histogram of the context's selection (its parameter's column), in the order
// of the histogram's statement: every record's value, or with lastDataOnly the largest of each
// group of records of one serial, source and start time, the groups in the engine's order (by
// serial, source and time). The program groups the records itself where it orders the rows
// (OrdersInProgram), and asks the engine to when it cannot group them exactly. A value that is
// no finite number fails the reading, named in error (NotANumberText) as the record of the
// statement it is.
ValuesRead ReadHistogramValues(const AnalysisContext& context, HistogramValues& out, QString& error);
