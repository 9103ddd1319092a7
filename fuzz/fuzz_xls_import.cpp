// The Excel import (FreeXL) on arbitrary bytes written as an .xls file.
#include "FuzzImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzImport(data, size, ImportFormat::Excel);
    return 0;
}
