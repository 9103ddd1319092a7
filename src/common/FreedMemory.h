#pragma once

// Gives the memory that the process freed back to the system. A load of a million rows frees
// most of what it held at its end; without this the C library keeps it for later, and every
// load after starts from the last one's high-water mark.
void ReleaseFreedMemory();

// Has the C library map every block of a megabyte or more from the system on its own and give
// it back the moment it is freed. By default glibc raises that threshold as soon as such a block
// is freed, and from then on serves a load's large arrays from its heap, where the pages of the
// last load's arrays stay: a replot of a million records then peaks about 40 MB higher. Called
// once, first thing in main().
void ReturnLargeBlocksAtOnce();
