// Whether this build has the x86 vector kernels: KODRA_X86_KERNELS is 1 on x86 and x86-64
// (with the intrinsics included), 0 elsewhere, where only the portable paths are built.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define KODRA_X86_KERNELS 1
#include <immintrin.h>
#else
#define KODRA_X86_KERNELS 0
#endif
