#pragma once

#include "HeadlessOptions.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The options of `tessaly limits freeze|list|clear|stage`, read and checked.
struct LimitsOptions : SelectionOptions
{
    QString action; // "freeze", "list", "clear" or "stage"
    QString parameter;
    bool individual = false; // --chart individual
    int size = 5;
    QString comment;
    QString json; // a file, or "-" for standard output
    QDateTime at; // stage: the start, to the second
    QString name;
    bool remove = false;
};

// Reads the arguments after the word "limits": the action, then its options. freeze takes the
// report's selection options; list --config and an optional --product; clear the key (--product,
// --parameter, --chart, --size, --source); stage --product, --parameter, --at and --name or
// --remove. Throws UsageError.
LimitsOptions ReadLimitsOptions(const QStringList& arguments);

QString LimitsHelpText();
