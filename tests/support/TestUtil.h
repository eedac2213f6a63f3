#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "modkit/core/Error.h"

namespace testutil {

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

inline std::string hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out.push_back(' ');
        out.push_back(d[c >> 4]);
        out.push_back(d[c & 15]);
    }
    return out;
}

// Runs f and returns the modkit::Error it throws (fails the test when none).
template <class F>
modkit::Error errorOf(F&& f) {
    try {
        f();
    } catch (const modkit::Error& e) {
        return e;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "threw a non-library exception: " << e.what();
        return modkit::Error(-1, "", e.what());
    }
    ADD_FAILURE() << "no error was raised";
    return modkit::Error(0, "", "");
}

inline std::string corpusDir() { return FETTLE_CORPUS_DIR; }
inline bool haveCorpus() { return std::filesystem::exists(corpusDir() + "/MANIFEST.tsv"); }

}  // namespace testutil

#define EXPECT_MODKIT_ERROR(stmt, num) EXPECT_EQ(testutil::errorOf([&] { stmt; }).number(), num)
