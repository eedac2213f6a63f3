// The table of commands. Each command lives in the file of its subject.
#include "Cli.h"

namespace cli {

int cmdInfo(Args&);
int cmdSave(Args&);
int cmdAsm(Args&);
int cmdFlt(Args&);
int cmdBgl(Args&);
int cmdExtract(Args&);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "info MODEL.mdl [--json]", cmdInfo},
        {"save", "save IN.mdl OUT.mdl", cmdSave},
        {"asm", "asm IN.mdl [OUT.asm]", cmdAsm},
        {"flt", "flt IN.mdl... [--outdir DIR] [--format RGB|DDS|TIF] [--no-attr] [--rotate DEGREES]", cmdFlt},
        {"bgl", "bgl LIB.bgl", cmdBgl},
        {"extract", "extract LIB.bgl OUTDIR [--object N]", cmdExtract},
    };
    return table;
}

}  // namespace cli
