#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Frozen control limits and stage starts: what a configuration folder holds for everyone who
// charts from it. Plain values and the changes made to them; the file that keeps them is
// LimitFile.h.

enum class LimitChartKind
{
    XBar,
    Individual,
};

// The names the file and the command line use: "xbar", "individual".
QString LimitChartName(LimitChartKind kind);
std::optional<LimitChartKind> LimitChartFromName(const QString& name);

// What a limit set belongs to. Texts compare without regard to case and surrounding blanks.
struct LimitKey
{
    QString product;
    QString parameter; // the parameter's column
    LimitChartKind chart = LimitChartKind::XBar;
    int subgroupSize = 5; // X-bar charts; 1 for an individual chart
    QString source;       // "<All>" for every source

    bool matches(const LimitKey& other) const;
    // "PSU-450, Vout_12V, X-bar n=5, <All>"
    QString text() const;
};

// The selection the limits were computed from.
struct LimitBaseline
{
    QDateTime first; // first and last record used
    QDateTime last;
    QString source; // "<All>" for every source
    QString testId;
    bool passOnly = true;
    bool lastDataOnly = true;
    bool acceptZero = true;
    qint64 points = 0; // subgroups, or values of an individual chart
    qint64 records = 0;
};

// One frozen set: the lines of both charts before any rounding, and where they came from.
struct LimitSet
{
    LimitKey key;
    double centre = 0, ucl = 0, lcl = 0;
    double rangeCentre = 0, rangeUcl = 0, rangeLcl = 0;
    double sigma = 0; // the estimated sigma of single values
    LimitBaseline baseline;
    QDateTime frozenAt;
    QString frozenBy; // a login name
    QString comment;
    // Once it no longer is in force: when, by whom, and whether it was "replaced" or "cleared".
    QDateTime retiredAt;
    QString retiredBy;
    QString retiredHow;
};

// A deliberate change of a parameter's process from a moment on: charts compute limits of their
// own from each stage's points.
struct StageStart
{
    QString product;
    QString parameter; // the parameter's column
    QDateTime start;   // to the second
    QString name;      // may be empty
    QDateTime addedAt;
    QString addedBy;

    // The name, or the start as "yyyy-MM-dd HH:mm" when it has none.
    QString caption() const;
};

struct LimitStore
{
    QList<LimitSet> sets;    // in force, one per key
    QList<LimitSet> history; // retired sets, in the order they were retired
    QList<StageStart> stages;

    const LimitSet* find(const LimitKey& key) const;
    // The stages of a product's parameter, by start.
    QList<StageStart> stagesOf(const QString& product, const QString& parameter) const;

    // Puts set in force for its key; a set it replaces goes to the history, retired at set.frozenAt
    // by set.frozenBy.
    void freeze(const LimitSet& set);
    // Retires the set of key to the history; false when there is none.
    bool clear(const LimitKey& key, const QDateTime& at, const QString& by);
    // Adds a stage start, or renames the one of the same product, parameter and second.
    void addStage(const StageStart& stage);
    // False when there is no stage start at that second.
    bool removeStage(const QString& product, const QString& parameter, const QDateTime& start);
};

// The login name of the user, for the stamps of changes.
QString CurrentLoginName();
