#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise found by a fuzz target: says which, and aborts so that libFuzzer (or the
// replay) keeps the input.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
