// The program's open on the 500,000-triangle model, headless: what Fettle II
// does from the file name to the first frame of the preview, through the model
// document (read, textures located; preview textures and draw list; the
// document takes the model; one 800 x 600 frame, finished). N opens (default
// 5) in one process, the window's surface made once before them as the
// program's is. Reports the median time of each step, the median total, the
// longest time the program's events waited (the library lets them run through
// its event pump during long steps: the program answers within that time) and
// the process's peak resident memory.
// Run: build/bin/bench_open [N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchFiles.h"
#include "document/ModelDocument.h"
#include "modkit/core/EventPump.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    benchmodels::LargeModelFiles files;
    modkit::EglOffscreenSurface surface(800, 600);
    const char* steps[] = {"read", "preview", "adopt", "first frame", "total", "longest wait for events"};
    std::vector<double> times[6];
    Clock::time_point lastEvents;
    double longestWait = 0;
    auto eventsRun = [&] {
        const Clock::time_point now = Clock::now();
        longestWait = std::max(longestWait, std::chrono::duration<double>(now - lastEvents).count());
        lastEvents = now;
    };
    modkit::setEventPump(eventsRun);
    for (int i = 0; i < runs; ++i) {
        fettle::ModelDocument doc;
        modkit::OpenGLPreviewObject preview;
        preview.initOpenGL(surface);
        Clock::time_point t[5];
        t[0] = Clock::now();
        lastEvents = t[0];
        longestWait = 0;
        auto model = doc.read(files.model);
        t[1] = Clock::now();
        if (!model->glPreparepreview(preview).empty()) {
            std::fprintf(stderr, "a texture failed to load\n");
            return 1;
        }
        t[2] = Clock::now();
        doc.adopt(model, files.model, fettle::ModelOrigin::file);
        t[3] = Clock::now();
        model->glDrawMDL(45, -75, 0, 0, 800, 600, surface, 100);
        t[4] = Clock::now();
        eventsRun();
        times[5].push_back(longestWait);
        for (int s = 0; s < 4; ++s) times[s].push_back(std::chrono::duration<double>(t[s + 1] - t[s]).count());
        times[4].push_back(std::chrono::duration<double>(t[4] - t[0]).count());
        model->glReleasePreview();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("open in the program (headless, through the document), model of 500,000 triangles, %d opens\n", runs);
    for (int s = 0; s < 6; ++s) std::printf("  %-24s median %8.3f s\n", steps[s], median(times[s]));
    std::printf("  peak resident memory %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
