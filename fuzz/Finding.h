#pragma once
// What every fuzz target does when a reader breaks its promise: name the broken promise on
// stderr and abort, so that libFuzzer keeps the input as a crash and the run fails.

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Finding(const char* what)
{
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

inline void Require(bool ok, const char* what)
{
    if (!ok)
        Finding(what);
}
