#pragma once
// A broken invariant stops the run with a message; libFuzzer then keeps the input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, what,   \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
