#pragma once

#include "LiveChart.h"

#include <QFile>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Where `tessaly watch` announces each new signal: one JSON object a line (a file it appends to,
// or standard output), and a program run with the signal in its environment, started directly
// with its argument list (never through a shell) and waited for.
class SignalAnnouncer
{
public:
    SignalAnnouncer(QString product, QString parameter, QString jsonLines, QStringList exec);

    // Opens the JSON lines' file; false with *error set when it cannot be.
    bool open(QString* error);
    // Announces one signal; false with *error set when its line could not be written or its
    // program not run.
    bool announce(const LiveSignal& signal, QString* error);

    // The signal's JSON object: time, chart ("values" or "ranges"), point, value, rules, serials,
    // limits in force, product and parameter.
    QJsonObject json(const LiveSignal& signal) const;
    // The program's environment: the caller's, with the TESSALY_SIGNAL_* variables of the signal.
    QProcessEnvironment environment(const LiveSignal& signal) const;

private:
    QString m_product;
    QString m_parameter;
    QString m_jsonLines;
    QStringList m_exec;
    QFile m_lines;
};
