// The table of commands. Each command lives in the file of its subject.
#include "Cli.h"

namespace cli {

int cmdInfo(Args&);
int cmdSave(Args&);
int cmdRender(Args&);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "info MODEL.mdl [--json]", cmdInfo},
        {"save", "save IN.mdl OUT.mdl", cmdSave},
        {"render",
         "render IN.mdl OUT.png [--width W] [--height H] [--heading D] [--pitch D] [--zoom Z] [--pan X,Y] "
         "[--texture-path DIR]... [--frames N]",
         cmdRender},
    };
    return table;
}

}  // namespace cli
