#pragma once

#include <cstddef>
#include <cstdint>

enum class ImportFormat
{
    Jet,
    Excel
};

// Writes the input as an .mdb or .xls file and imports its "Results" table (or worksheet) into
// a new in-memory SQLite database, as a product choice does. Whatever the bytes, the import must
// either fail with a description or leave the table behind.
void FuzzImport(const uint8_t* data, size_t size, ImportFormat format);

// From now on FuzzImport imports through the helper process, as the program does, instead of
// calling the importer in this process: for inputs that crash libmdb or FreeXL themselves.
void ImportInHelperFromNowOn();
