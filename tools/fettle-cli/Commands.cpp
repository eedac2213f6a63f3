// The table of commands. Each command lives in the file of its subject.
#include "Cli.h"

namespace cli {

int cmdInfo(Args&);
int cmdSave(Args&);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "info MODEL.mdl [--json]", cmdInfo},
        {"save", "save IN.mdl OUT.mdl", cmdSave},
    };
    return table;
}

}  // namespace cli
