#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target needs around the code it drives: an application object (Qt's SQL
// drivers and text codecs expect one) and the input as a real file, since the readers under
// test take file names.

// Creates the process's QCoreApplication on the first call.
void EnsureFuzzApplication();

// Writes the input to fileName in a folder of its own that lives as long as the process, and
// returns the file's path. Each call replaces the previous content and gives the file a newer
// modification time than any before, so readers that cache by file version never see a stale one.
QString WriteFuzzInput(const uint8_t* data, size_t size, const QString& fileName);

// Aborts with the message when a property every input must keep does not hold, so the fuzzer
// keeps the input as a finding.
void FuzzCheck(bool holds, const char* property);
