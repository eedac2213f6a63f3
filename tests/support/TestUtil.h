#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"

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

// The error f raises as "number source: description".
template <class F>
std::string errorText(F&& f) {
    const modkit::Error e = errorOf(std::forward<F>(f));
    return std::to_string(e.number()) + " " + e.source() + ": " + e.description();
}

// Bytes as text for a golden file: CR, NUL, backslash and other control bytes escaped.
inline std::string visible(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\\') out += "\\\\";
        else if (c == '\n' || (c >= 0x20 && c < 0x7F)) out.push_back(static_cast<char>(c));
        else out += std::string("\\x") + d[c >> 4] + d[c & 15];
    }
    return out;
}

#ifdef FETTLE_TEST_DATA
// Compares text with tests/data/<name>. Long expected outputs live there;
// FETTLE_UPDATE_GOLDEN=1 rewrites them from what the code gives now (review
// the diff before committing).
inline void expectGolden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(FETTLE_TEST_DATA) + "/" + name;
    if (const char* u = std::getenv("FETTLE_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        return writeFile(path, actual);
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: run with FETTLE_UPDATE_GOLDEN=1";
    EXPECT_EQ(actual, readFile(path)) << "differs from " << path << " (FETTLE_UPDATE_GOLDEN=1 rewrites it)";
}

// Many generated cases at once: one line per case with a digest of its text,
// the first changed case shown in full.
inline void expectGoldenDigests(const std::string& name, const std::vector<std::string>& cases) {
    std::string text;
    for (size_t i = 0; i < cases.size(); ++i) {
        uint64_t h = 14695981039346656037ull;
        for (unsigned char c : cases[i]) h = (h ^ c) * 1099511628211ull;
        char line[48];
        std::snprintf(line, sizeof line, "case %zu: %016llx\n", i, static_cast<unsigned long long>(h));
        text += line;
    }
    const std::string before = readFile(std::string(FETTLE_TEST_DATA) + "/" + name);
    const char* update = std::getenv("FETTLE_UPDATE_GOLDEN");
    for (size_t i = 0, at = 0; !update && i < cases.size(); ++i, at = text.find('\n', at) + 1) {
        const size_t n = text.find('\n', at) + 1 - at;
        if (before.compare(std::min(at, before.size()), n, text, at, n) != 0) {
            ADD_FAILURE() << "case " << i << " of " << name << " changed; it now gives:\n" << cases[i];
            break;
        }
    }
    expectGolden(name, text);
}
#endif

// Loads model bytes, optionally through a save and a second read.
inline std::unique_ptr<modkit::MDLObject> loadModel(const std::string& bytes, const std::string& path = "") {
    auto m = std::make_unique<modkit::MDLObject>();
    m->readMDLBytes(bytes, path);
    return m;
}
inline std::unique_ptr<modkit::MDLObject> reloaded(modkit::MDLObject& m) { return loadModel(m.toBytes()); }

// A copy of s with the little-endian 32-bit value v at byte `at`.
inline std::string withLong(std::string s, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

inline bool containsText(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::string corpusDir() { return FETTLE_CORPUS_DIR; }
inline bool haveCorpus() { return std::filesystem::exists(corpusDir() + "/MANIFEST.tsv"); }

}  // namespace testutil

#define EXPECT_MODKIT_ERROR(stmt, num) EXPECT_EQ(testutil::errorOf([&] { stmt; }).number(), num)
