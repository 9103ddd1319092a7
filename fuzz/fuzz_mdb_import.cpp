// The Jet import (libmdb) on arbitrary bytes written as an .mdb file.
#include "FuzzImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzImport(data, size, ImportFormat::Jet);
    return 0;
}
