#pragma once

// Gives the memory that the process freed back to the system. A load of a million rows frees
// most of what it held at its end; without this the C library keeps it for later, and every
// load after starts from the last one's high-water mark.
void ReleaseFreedMemory();
