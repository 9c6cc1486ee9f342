// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <malloc.h>

// Gives the memory that the program freed back to the system. The C library keeps freed memory
// for later use, and after a scan of millions of files that can be gigabytes held by a program that
// no longer needs them: called when a big engine is cleared or destroyed.
inline void ReturnFreedMemory() {
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}
