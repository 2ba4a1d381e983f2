// Compiler hints for the few hot paths that measure the difference.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define VR_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VR_ALWAYS_INLINE inline
#endif

// 1 when AddressSanitizer instruments this build: GCC and clang say so in
// different ways.
#if defined(__SANITIZE_ADDRESS__)
#define VR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VR_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef VR_ADDRESS_SANITIZER
#define VR_ADDRESS_SANITIZER 0
#endif

// 1 when ThreadSanitizer instruments this build.
#if defined(__SANITIZE_THREAD__)
#define VR_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VR_THREAD_SANITIZER 1
#endif
#endif
#ifndef VR_THREAD_SANITIZER
#define VR_THREAD_SANITIZER 0
#endif
