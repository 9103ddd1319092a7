#pragma once

#include "RunRules.h"

#include <QDate>
#include <QSize>
#include <QString>
#include <optional>

// The options of `tessaly report`, read and checked.
struct ReportOptions
{
    QString config, product, parameter, range, chart = QStringLiteral("xbar");
    QDate from, to;
    int size = 5;   // subgroup size of an X-bar chart
    int cells = 20; // histogram cells
    QString xParameter, yParameter;
    std::optional<QString> xSource, ySource; // the scatter's separate sources: both or neither
    std::optional<QString> source, serial, testId, lsl, usl;
    bool allResults = false, allRecords = false, noZero = false, hideSpec = false;
    RuleSet rules = RuleSet::None; // control charts: the run rules marked on the picture
    bool failOnSignal = false;
    QString png, svg, pdf, json;
    bool allPages = false; // the PDF: one page per chart page instead of every point on one page
    QSize imageSize{1600, 900};

    bool isControlChart() const;
};

// A command line that cannot be used; message says why.
struct ReportUsageError
{
    QString message;
};

// Reads the arguments after the word "report"; throws ReportUsageError.
ReportOptions ReadReportOptions(const QStringList& arguments);

// The option summary printed by --help.
QString ReportHelpText();
