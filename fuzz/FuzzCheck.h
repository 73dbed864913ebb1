#pragma once
#include <cstdio>
#include <cstdlib>

// A property every input must keep. Broken, it aborts: libFuzzer saves the input, and the replay fails.
inline void FuzzCheck(bool kept, const char* property) {
    if (!kept) {
        std::fprintf(stderr, "Broken: %s\n", property);
        std::abort();
    }
}
