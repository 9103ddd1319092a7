#include "FreedMemory.h"

#include <cstdlib> // tells which C library this is (__GLIBC__), which the test below needs
#ifdef __GLIBC__
#include <malloc.h>
#endif

void ReleaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void ReturnLargeBlocksAtOnce()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}
