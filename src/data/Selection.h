#pragma once

#include "SqlText.h"

#include <QDate>
#include <QString>

class Prompts;
struct SharedState;

// The list item that stands for every source or every test ID.
inline const QString kAll = QStringLiteral("<All>");

// What the user chose in the main window, as every chart reads it: the window, the analysis
// windows and the headless commands build one and hand it on.
struct Selection
{
    QString product;      // trimmed
    int parameter = -1;   // index into the product's parameter list (gParameterField, ...)
    QString range;        // the range text, trimmed: "Today", "Last 30 Days", ..., "Custom"
    QString source;       // one source (tester) only; "" for every source
    QString serialFilter; // as typed; "" for none
    bool passOnly = true;
    bool lastDataOnly = true;
    QString testId = kAll; // kAll for every test ID
    bool acceptZero = true;
};

// The statement of a chart kind ("" control charts, "Histogram", "Pareto", "Scatter") for a
// selection on the product's table and columns in state, with the range as of today. The serial
// filter is compared in upper case; passOnly compares the pass column with the pass marker. The
// statement carries the date-times of its range literals for the engine's dialect. Empty when the
// range cannot be used; the user has then been told why ("Can not reach to custom date!"), unless
// the range text is unknown.
SqlText SelectionSQL(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts,
                     const QString& parameterField, const QString& chartType, const QString& sortBy,
                     const QString& xSource = {}, const QString& ySource = {});

// The rows the control chart's and the histogram's statements group and order, in no order and
// ungrouped, for the program to group and order them itself: every record of the selection with
// a measured value of the parameter (the histogram's statement of every record).
SqlText SelectionRowsSQL(const SharedState& state, Selection selection, const QDate& today, Prompts& prompts,
                         const QString& parameterField);
