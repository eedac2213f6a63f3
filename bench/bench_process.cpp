// fettle-cli as a user meets it: each run is a new process (cold start of the
// program, its libraries and allocator, no tuning), on the 500,000-triangle
// model written to a temporary folder. Reports the median wall time and the
// median peak resident memory of N runs (default 5) of each command.
// Run: build/bin/bench_process [N]
#include <fcntl.h>
#include <malloc.h>
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
    // fork, not posix_spawn: a child that shares this process's memory until
    // exec starts with this process's peak as its own.
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
        ::execve(args[0], args.data(), const_cast<char* const*>(env.data()));
        std::perror(args[0]);
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    // What making the files took goes back before any child is measured.
    malloc_trim(0);
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    const std::string cli = FETTLE_CLI;
    const std::string out = (files.folder / "saved.mdl").string();
    const std::string png = (files.folder / "render.png").string();
    std::printf("fettle-cli, whole process, %d runs each, model of 500,000 triangles (%.1f MB)\n", runs,
                static_cast<double>(files.bytes) / 1e6);
    // A forked child starts with this process's resident memory as its peak.
    std::printf("(a child's peak counts at least this process's %.1f MB resident)\n",
                static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0);
    std::printf("%-28s %14s %16s %12s\n", "command", "median wall s", "median peak MB", "peak / file");
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
        std::printf("%-28s %14.3f %16.1f %12.2f\n", name, median(seconds), median(peak),
                    median(peak) * 1048576.0 / static_cast<double>(files.bytes));
        std::fflush(stdout);
    }
    return 0;
}
