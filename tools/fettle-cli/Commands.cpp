// The table of commands. Each command lives in the file of its subject.
#include "Cli.h"

namespace cli {

int cmdInfo(Args&);
int cmdSave(Args&);
int cmdTweak(Args&);
int cmdConditions(Args&);
int cmdSetConditions(Args&);
int cmdSeasons(Args&);
int cmdAsm(Args&);
int cmdFlt(Args&);
int cmdBgl(Args&);
int cmdExtract(Args&);
int cmdVisible(Args&);

namespace {

// A command of the drawing part, loaded when it runs.
std::function<int(Args&)> drawing(const char* name) {
    return [name](Args& args) { return runDrawing(name, args); };
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "info MODEL.mdl [--json]", cmdInfo},
        {"save", "save IN.mdl OUT.mdl", cmdSave},
        {"tweak",
         "tweak IN.mdl [-o OUT.mdl] [--kill-shadow | --restore-shadow] [--fix-lights] [--clean-dict] "
         "[--fix-texture-sizes [--suffixes _SP,_FA,_WI,_HW,_LM]]",
         cmdTweak},
        {"conditions", "conditions IN.mdl", cmdConditions},
        {"set-conditions",
         "set-conditions IN.mdl [-o OUT.mdl] [--between VAR:MIN:MAX]... [--mask VAR:MASK]... "
         "[--rotate-user | --rotate-wind] [--combine and|or|not|nor]",
         cmdSetConditions},
        {"seasons", "seasons IN.mdl [--suffixes _SP,_FA,_WI,_HW,_LM]", cmdSeasons},
        {"asm", "asm IN.mdl [OUT.asm]", cmdAsm},
        {"flt", "flt IN.mdl... [--outdir DIR] [--format RGB|DDS|TIF] [--no-attr] [--rotate DEGREES]", cmdFlt},
        {"gltf",
         "gltf IN.mdl... [--outdir DIR] [--format glb|gltf] [--texture-path DIR]... "
         "[--suffixes _SP,_FA,_WI,_HW,_LM]",
         drawing("gltf")},
        {"textures", "textures IN.mdl OUTDIR [--texture-path DIR]...", drawing("textures")},
        {"bgl", "bgl LIB.bgl", cmdBgl},
        {"extract", "extract LIB.bgl OUTDIR [--object N]", cmdExtract},
        {"render",
         "render IN.mdl OUT.png [--width W] [--height H] [--size PIXELS] [--heading D] [--pitch D] [--zoom Z] "
         "[--pan X,Y] [--texture-path DIR]... [--frames N] [--state VAR=VALUE]... [--day N] "
         "[--time day|dusk|night] [--distance M]",
         drawing("render")},
        {"visible", "visible IN.mdl [--state VAR=VALUE]... [--day N] [--time day|dusk|night] [--distance M]",
         cmdVisible},
    };
    return table;
}

}  // namespace cli
