// Forced into every engine file outside src/platform (see src/CMakeLists.txt):
// the host is reached through the platform layer only, so the C library's
// file, process and environment calls, and raw threads, fail to compile
// anywhere else rather than fail to port.
#pragma once

// The headers that declare the poisoned names come first: once poisoned, a
// name may not appear again, not even in a declaration.
#include <cstdio>
#include <cstdlib>
#include <stdio.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

#pragma GCC poison fopen freopen popen getenv secure_getenv exit _exit quick_exit fork execv execvp

// Engine code lives in namespace vr, where `std` names this namespace: it
// sees all of ::std but what is declared here.  The thread classes are
// declared and never defined, so that std::thread in engine code is an
// incomplete type (threads are platform::Thread); system() is deleted
// rather than poisoned, because the engine's records have members of that
// name.
namespace vr::std {
using namespace ::std;
class thread;
class jthread;
int system(const char*) = delete;
}  // namespace vr::std

namespace vr {
int system(const char*) = delete;
}  // namespace vr
