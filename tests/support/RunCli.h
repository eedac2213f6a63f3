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

// Command lines as a user types them, each with what it printed and its exit
// code, for a golden file: the scratch folder reads TMP, the samples SAMPLES.
// The usage lines after a usage error are left out: they change with every
// new command or option.
class Transcript {
public:
    explicit Transcript(const TempDir& dir) : dir_(dir) {}
    CliResult run(const std::vector<std::string>& args) {
        CliResult r = runCli(args);
        text_ += "$ fettle-cli";
        for (const auto& a : args) text_ += " " + a;
        std::string err;
        for (size_t at = 0; at < r.err.size(); at = r.err.find('\n', at) + 1) {
            const std::string line = r.err.substr(at, r.err.find('\n', at) + 1 - at);
            if (r.exitCode != 2 || (line.rfind("usage: ", 0) != 0 && line.rfind("  fettle-cli ", 0) != 0)) err += line;
        }
        text_ += "\n" + r.out + (err.empty() ? "" : "stderr:\n" + err);
        text_ += "[exit " + std::to_string(r.exitCode) + "]\n\n";
        return r;
    }
    std::string text() const {
        std::string t = text_;
        for (const auto& [from, to] : {std::pair<std::string, std::string>{dir_.path(), "TMP"}, {FETTLE_SAMPLE_DIR, "SAMPLES"}})
            for (size_t at = 0; (at = t.find(from, at)) != std::string::npos;) t.replace(at, from.size(), to);
        return t;
    }

private:
    const TempDir& dir_;
    std::string text_;
};

inline std::string sampleModel() { return std::string(FETTLE_SAMPLE_DIR) + "/house.mdl"; }

}  // namespace testutil
