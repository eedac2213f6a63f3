#pragma once
// The command-line front end: each command is one function taking its
// arguments; main() dispatches, reports library errors and usage faults.
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "modkit/bgl/WalkState.h"

namespace cli {

// Wrong usage: main prints the message and the command's usage, exit 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Options are taken out as the command asks for them; what is left must be
// positional arguments.
class Args {
public:
    explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}
    bool flag(const std::string& name);
    std::optional<std::string> value(const std::string& name);
    std::vector<std::string> values(const std::string& name);
    struct Option {
        std::string name, value;
    };
    // Every occurrence of the named options, in the order given: those in
    // withValue take a value (the next argument, or name=VALUE), flags none.
    std::vector<Option> ordered(const std::vector<std::string>& withValue, const std::vector<std::string>& flags);
    // The remaining arguments; an unknown option is a usage error.
    std::vector<std::string> positionals(size_t min, size_t max);

private:
    std::vector<std::string> args_;
};

struct Command {
    const char* name;
    const char* synopsis;
    std::function<int(Args&)> run;
};

// Every command, in the order the usage lists them.
const std::vector<Command>& commands();

// The simulator state that --state VAR=VALUE (repeated), --day N, --time
// day|dusk|night and --distance M give, over the defaults; none when no such
// option is given. A value outside its variable's range is a library error.
std::optional<modkit::WalkState> stateOptions(Args& args);

}  // namespace cli

namespace modkit {
class Error;
class FLTBatch;
struct SeasonSuffixes;
}

namespace cli {

// The default texture suffixes, or the five named by --suffixes SP,FA,WI,HW,LM.
modkit::SeasonSuffixes suffixesOf(Args& args);

// "Error N (description) Source: source", for warnings.
std::string errorText(const modkit::Error& e);

// Converts each model with the batch, one line per model (and one per warning
// under it), then the summary; 1 when any model failed.
int runBatch(modkit::FLTBatch& batch, const std::vector<std::string>& models);

// The commands that draw or decode textures (render, gltf, textures) live in
// a module of their own, fettle-cli-draw, so that the others load no GUI or
// GL library. runDrawing loads it on first use and runs the named command.
int runDrawing(const char* name, Args& args);

// Text for JSON strings (bytes above 127 are taken as Latin-1).
std::string jsonString(const std::string& s);

}  // namespace cli
