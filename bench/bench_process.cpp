// fettle-cli as a user meets it: each run is a new process (cold start of the
// program, its libraries and allocator, no tuning), on the 500,000-triangle
// model written to a temporary folder. Reports the median wall time and the
// median peak resident memory of N runs (default 5) of each command.
// Run: build/bin/bench_process [N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchFiles.h"

extern char** environ;

namespace {

struct Run {
    double seconds;
    double peakMB;
};

// One process; its own peak memory from wait4, not the largest of all children.
Run spawnOnce(const std::vector<std::string>& argv, const std::vector<char*>& env) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), const_cast<char* const*>(env.data())) != 0) {
        std::perror(args[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed (status %d)\n", argv[0].c_str(), argv[1].c_str(), status);
        std::exit(1);
    }
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // The environment as it is, less anything that tunes the allocator.
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "MALLOC_", 7) != 0 && std::strncmp(*e, "GLIBC_TUNABLES=", 15) != 0 &&
            std::strncmp(*e, "LD_PRELOAD=", 11) != 0)
            env.push_back(*e);
    env.push_back(nullptr);

    benchmodels::LargeModelFiles files;
    const std::string cli = FETTLE_CLI;
    const std::string out = (files.folder / "saved.mdl").string();
    const std::string png = (files.folder / "render.png").string();
    std::printf("fettle-cli, whole process, %d runs each, model of 500,000 triangles (%.1f MB)\n", runs,
                static_cast<double>(files.bytes) / 1e6);
    std::printf("%-28s %14s %16s\n", "command", "median wall s", "median peak MB");
    const std::vector<std::pair<const char*, std::vector<std::string>>> commands = {
        {"info", {cli, "info", files.model}},
        {"save", {cli, "save", files.model, out}},
        {"render 800x600", {cli, "render", files.model, png}},
    };
    for (const auto& [name, argv] : commands) {
        std::vector<double> seconds, peak;
        for (int i = 0; i < runs; ++i) {
            const Run r = spawnOnce(argv, env);
            seconds.push_back(r.seconds);
            peak.push_back(r.peakMB);
        }
        std::printf("%-28s %14.3f %16.1f\n", name, median(seconds), median(peak));
        std::fflush(stdout);
    }
    return 0;
}
