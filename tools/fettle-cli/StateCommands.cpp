// visible: which commands a state runs and which tests decided it.
#include <cstdio>

#include "Cli.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"

namespace cli {

int cmdVisible(Args& args) {
    std::optional<modkit::WalkState> state = stateOptions(args);
    if (!state) state.emplace();
    const std::string in = args.positionals(1, 1)[0];
    modkit::MDLObject m;
    m.readMDL(in);
    const modkit::BGLCommandList& list = *m.BGLCommandList();

    std::string values;
    for (const auto& v : modkit::conditionVariables()) {
        int32_t value = 0;
        state->lookup(static_cast<int32_t>(std::stol(v.address, nullptr, 16)), value);
        if (value != v.defaultValue || v.address == "28C" || v.address == "38A" || v.address == "33B")
            values += (values.empty() ? "" : ", ") + v.name + " " + std::to_string(value);
    }
    std::printf("State: %s\n", values.c_str());

    struct Counter : modkit::GeometrySink {
        int64_t triangles = 0;
        void triangle(const modkit::WalkTriangle&) override { ++triangles; }
        bool wantsVertices() const override { return false; }
    } drawn;
    modkit::WalkTrace trace;
    modkit::walkCommands(list, drawn, &*state, &trace);
    for (const auto& d : trace.decisions) std::printf("Test %d %s\n", d.position, d.text.c_str());
    // Runs of commands run and skipped, in list order.
    for (int32_t first = 1; first <= list.Count();) {
        const bool ran = trace.executed[static_cast<size_t>(first)];
        int32_t last = first;
        while (last < list.Count() && trace.executed[static_cast<size_t>(last + 1)] == ran) ++last;
        std::printf("Commands %d-%d %s\n", first, last, ran ? "run" : "skipped");
        first = last + 1;
    }
    std::printf("Triangles drawn: %lld of %lld\n", static_cast<long long>(drawn.triangles),
                static_cast<long long>(modkit::countTriangles(list)));
    return 0;
}

}  // namespace cli
