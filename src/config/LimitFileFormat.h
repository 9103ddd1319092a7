#pragma once

#include "LimitSets.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The text of the limit file: UTF-8 lines in blocks, INI style, that a person can read and mend.
//   [Limits]          a set in force        Product=, Parameter=, Chart=xbar|individual, Size=,
//                                           Source=, Centre=, UCL=, LCL=, RangeCentre=, RangeUCL=,
//                                           RangeLCL=, Sigma=, Baseline...=, FrozenAt=, FrozenBy=,
//                                           Comment=
//   [Retired Limits]  the same, and RetiredAt=, RetiredBy=, Retired=replaced|cleared
//   [Stage]           Product=, Parameter=, Start=, Name=, AddedAt=, AddedBy=
// Keys match without regard to case and unknown keys are passed over; lines starting with ';' or
// '#' are comments. Times are local, "yyyy-MM-dd HH:mm:ss"; numbers are written with 17
// significant digits so that they read back exactly; a line feed or backslash inside a text is
// written "\n" or "\\".

QByteArray LimitFileText(const LimitStore& store);

// The store a text holds; std::nullopt with *problem set to "line N: what is wrong" when a line
// cannot be read: an unknown section, a line that is no section and no key, a key given twice, a
// required key missing from its block (named at the block's first line), or a value that is not
// a number, time, count, yes/no or chart kind as its key needs.
std::optional<LimitStore> ParseLimitFile(const QByteArray& text, QString* problem);

// One set as its block reads in the file (for commands that print what they stored).
QString LimitSetText(const LimitSet& set);
QString StageText(const StageStart& stage);
