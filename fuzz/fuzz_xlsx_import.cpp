// The .xlsx import (libzip and Qt's XML stream reader) on arbitrary bytes written as an .xlsx file.
#include "FuzzImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzImport(data, size, ImportFormat::Xlsx);
    return 0;
}
