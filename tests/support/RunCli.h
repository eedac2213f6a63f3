#pragma once
// Runs fettle-cli as a user would and captures what it prints.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestUtil.h"

namespace testutil {

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline CliResult runCli(const std::vector<std::string>& args) {
    TempDir capture;
    std::string cmd = shellQuote(FETTLE_CLI);
    for (const auto& a : args) cmd += " " + shellQuote(a);
    cmd += " >" + shellQuote(capture.file("out")) + " 2>" + shellQuote(capture.file("err"));
    int status = std::system(cmd.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(capture.file("out"));
    r.err = readFile(capture.file("err"));
    return r;
}

inline std::string sampleModel() { return std::string(FETTLE_SAMPLE_DIR) + "/house.mdl"; }

}  // namespace testutil
