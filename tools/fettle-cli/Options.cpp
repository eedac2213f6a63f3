// Options and output that several commands share, in the command-line program
// and in its drawing part alike.
#include <cstdio>

#include "Cli.h"
#include "modkit/lists/TextureGroups.h"
#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"
#include "modkit/export/FLTBatch.h"

namespace cli {
namespace {

int32_t wholeNumber(const std::string& text, const std::string& option) {
    if (modkit::numtext::isNumber(text)) {
        const double v = modkit::numtext::toDouble(text);
        if (v == static_cast<double>(static_cast<int32_t>(v))) return static_cast<int32_t>(v);
    }
    throw UsageError(option + " needs a whole number, not '" + text + "'");
}

}  // namespace

std::optional<modkit::WalkState> stateOptions(Args& args) {
    const auto day = args.value("--day");
    const auto time = args.value("--time");
    const auto distance = args.value("--distance");
    const std::vector<std::string> states = args.values("--state");
    if (!day && !time && !distance && states.empty()) return std::nullopt;
    modkit::WalkState s;
    if (day) s.setDayOfYear(wholeNumber(*day, "--day"));
    if (time) {
        if (*time == "day") s.setTimeOfDay(modkit::WalkState::day);
        else if (*time == "dusk") s.setTimeOfDay(modkit::WalkState::dusk);
        else if (*time == "night") s.setTimeOfDay(modkit::WalkState::night);
        else throw UsageError("--time needs day, dusk or night, not '" + *time + "'");
    }
    if (distance) s.setDistance(wholeNumber(*distance, "--distance"));
    for (const auto& st : states) {
        const size_t eq = st.find('=');
        if (eq == std::string::npos) throw UsageError("--state needs VARIABLE=VALUE, not '" + st + "'");
        s.set(st.substr(0, eq), wholeNumber(st.substr(eq + 1), "--state " + st.substr(0, eq)));
    }
    return s;
}

// The configuration's suffixes, or the five named by --suffixes SP,FA,WI,HW,LM.
modkit::SeasonSuffixes suffixesOf(Args& args) {
    modkit::SeasonSuffixes s;
    auto given = args.value("--suffixes");
    if (!given) return s;
    std::vector<std::string> parts(1);
    for (char c : *given) {
        if (c == ',') parts.emplace_back();
        else parts.back().push_back(c);
    }
    if (parts.size() != 5) throw UsageError("--suffixes takes five suffixes: spring, autumn, winter, heavy winter, night");
    for (const auto& p : parts)
        if (p.empty()) throw UsageError("--suffixes: a suffix is empty");
    s.suffix[4] = parts[0];
    s.suffix[1] = parts[1];
    s.suffix[2] = parts[2];
    s.suffix[3] = parts[3];
    s.night = parts[4];
    return s;
}

std::string errorText(const modkit::Error& e) {
    return "Error " + std::to_string(e.number()) + " (" + e.description() + ") Source: " + e.source();
}

// One line per model (and one per warning under it), then the summary; exit 1
// when any model failed.
int runBatch(modkit::FLTBatch& batch, const std::vector<std::string>& models) {
    for (const std::string& in : models) {
        modkit::FLTBatchResult r = batch.convert(in);
        if (r.converted()) std::printf("%s -> %s\n", in.c_str(), r.output.c_str());
        else std::printf("%s: failed: %s\n", in.c_str(), errorText(*r.error).c_str());
        for (const auto& w : r.warnings) std::printf("  Warning: %s\n", w.c_str());
        std::fflush(stdout);
    }
    std::printf("%d converted, %d failed\n", batch.converted(), batch.failed());
    return batch.failed() ? 1 : 0;
}

}  // namespace cli
