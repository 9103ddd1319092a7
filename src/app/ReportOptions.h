#pragma once

#include "AttributeChartMath.h"
#include "HeadlessOptions.h"
#include "RunRules.h"

#include <QDate>
#include <QSize>
#include <QString>
#include <optional>

// The options of `tessaly report`, read and checked.
struct ReportOptions : SelectionOptions
{
    QString parameter, chart = QStringLiteral("xbar");
    int size = 5;   // subgroup size of an X-bar chart
    int cells = 20; // histogram cells
    QString xParameter, yParameter;
    std::optional<QString> xSource, ySource; // the scatter's separate sources: both or neither
    std::optional<QString> lsl, usl;
    bool hideSpec = false;
    UnitGrouping grouping;         // p and np charts: the subgroups
    bool final = false;            // p and np charts: units counted by their last test
    RuleSet rules = RuleSet::None; // control charts and p/np: the run rules marked on the picture
    bool failOnSignal = false;
    std::optional<bool> frozenLimits; // --limits frozen (true) or computed (false); unset: frozen when a set exists
    bool stages = true;               // stage starts of the limit file applied to computed limits
    QString png, svg, pdf, json;
    bool allPages = false; // the PDF: one page per chart page instead of every point on one page
    QSize imageSize{1600, 900};

    bool isControlChart() const;
    bool isYieldChart() const; // p or np
};

// Reads the arguments after the word "report"; throws UsageError.
ReportOptions ReadReportOptions(const QStringList& arguments);

// The option summary printed by --help.
QString ReportHelpText();
