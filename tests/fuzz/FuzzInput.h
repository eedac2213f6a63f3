#pragma once
// Shared by the harnesses: a failed property aborts, which libFuzzer (and the
// replay program) reports with the input that caused it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string bytesOf(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }

[[noreturn]] inline void fuzzFail(const std::string& what) {
    std::fprintf(stderr, "fuzz property failed: %s\n", what.c_str());
    std::abort();
}
