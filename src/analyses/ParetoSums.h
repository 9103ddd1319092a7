#pragma once

#include "AnalysisQuery.h"

#include <QList>
#include <QString>

// What the Pareto chart ranks: per parameter of the product (in list order) the sum of the
// values its Pareto statement gives for the context's selection, and the rows of the first
// parameter's statement.
struct ParetoSums
{
    QList<double> sums;
    qint64 rows = 0;
    OrderedBy orderedBy = OrderedBy::Engine; // Program: one statement for every parameter
};

// Reads every parameter's sum. Where the program orders the rows (OrdersInProgram) it reads
// every parameter column in one statement and keeps each column's values by that parameter's
// rules (Null, 999, -999 and, without acceptZero, 0 left out; with lastDataOnly the largest of
// each group of records of one serial, source and start time), adding them in the order the
// parameter's own statement gives them, so that each sum is that statement's to the last bit.
// Otherwise, and for columns the program cannot read so exactly, one statement per parameter.
// A value that is no finite number fails the reading, named in error as the record of its
// parameter's statement; of several, the first parameter's.
ValuesRead ReadParetoSums(const AnalysisContext& context, ParetoSums& out, QString& error);
