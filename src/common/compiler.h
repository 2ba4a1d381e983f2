// Compiler hints for the few hot paths that measure the difference.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define VR_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VR_ALWAYS_INLINE inline
#endif
