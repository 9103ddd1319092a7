#pragma once

#include "FileImport.h"

#include <cstddef>
#include <cstdint>

// Writes the input as an .mdb, .xls, .xlsx or .csv file and imports its "Results" table (or
// worksheet, or for CSV its records) into a new in-memory SQLite database, as a product choice
// does. Whatever the bytes, the import must either fail with a description or leave the table
// behind.
void FuzzImport(const uint8_t* data, size_t size, ImportFormat format);

// From now on FuzzImport imports through the helper process, as the program does, instead of
// calling the importer in this process: for inputs that crash a library itself.
void ImportInHelperFromNowOn();
