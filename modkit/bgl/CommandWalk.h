#pragma once
// The one walk over a command stream that every reader of geometry uses: the
// preview's draw list, the exports, texture sizes, vertex selection and the
// triangle counts.
//
// Without a state the walk is linear: every command in list order, every
// triangle drawn once, whatever tests, jumps and calls the stream holds (what
// the exports write). With a state it runs the stream as the simulator would
// for that state: jumps, calls and returns are followed, tests decide on the
// state's variables, BGL_END ends the walk.
//
// Numbers: the parameters are read as numbers (error 13 for a text that is
// none); the material and texture index are 16-bit, vertex numbers and list
// bases 32-bit (error 6 outside).
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/bgl/BGLOpcode.h"
#include "modkit/core/Export.h"

namespace modkit {

class BGLCommandList;
class WalkState;

// The material and texture a SET_MATERIAL put in force.
struct DrawState {
    int16_t material = 0;  // 0-based index into the MATE list
    int16_t texture = 0;   // 0-based index into the TEXT list, -1 for none
    // False before the first SET_MATERIAL: material and texture are then 0,
    // and nothing has been selected yet (the preview sets no GL state).
    bool set = false;

    bool operator==(const DrawState&) const = default;
};

// One triangle of a DRAW_TRI_LIST: its vertex numbers are 0-based positions in
// the model's vertex pool, the list's base already added, in item order.
struct WalkTriangle {
    int32_t v[3] = {0, 0, 0};
    DrawState state;
    int32_t position = 0;  // 1-based list position of the DRAW_TRI_LIST_ITEM
};

// One segment of a DRAW_LINE_LIST, as a triangle.
struct WalkLine {
    int32_t v[2] = {0, 0};
    DrawState state;
    int32_t position = 0;
};

// Receives what the walk meets, in drawing order. Every member has an empty
// default; a reader overrides what it uses.
class MODKIT_EXPORT GeometrySink {
public:
    virtual ~GeometrySink() = default;
    // A SET_MATERIAL ran; state is the new state in force.
    virtual void material(const DrawState& state, int32_t position);
    // A BGL_ZBIAS ran (its parameter as a number).
    virtual void zbias(double bias, int32_t position);
    virtual void triangle(const WalkTriangle& t);
    virtual void line(const WalkLine& l);
    // Asked at each triangle and line: false passes it with its vertex numbers
    // left at 0 and their texts not read (a reader that only counts, or has no
    // use for this one).
    virtual bool wantsVertices() const { return true; }
};

// How one test, or one control command the walk does not understand, decided.
struct WalkDecision {
    int32_t position = 0;  // 1-based list position of the command
    BGLOpcode opcode = BGLOpcode::EOF_;
    // True: the commands after it run (the condition holds); false: the walk
    // went to its jump destination.
    bool passed = true;
    // False for a test whose meaning or variable the walk does not know: it
    // passes, and says so.
    bool known = true;
    // "IFIN1 Distance to RefPoint (33B) = 0, in 0..5000: drawn" and the like.
    std::string text;
};

// What a walk under a state did, for the `visible` listing.
struct WalkTrace {
    std::vector<WalkDecision> decisions;  // in the order the walk met them
    // One entry per list position (index 0 unused): true when the walk ran the
    // command.
    std::vector<bool> executed;
};

// Calls nested deeper than this are an error (a recursion that never returns).
inline constexpr int kMaxCallDepth = 64;

// Walks list, linearly (state null) or under state, and tells sink what it
// draws. trace, when given, is filled by a walk under a state.
// Errors (100, "Modkit.CommandWalk", naming the command by position and name):
// a jump or call outside the stream, a loop (a command reached again without
// leaving the call it runs in, which under a fixed state repeats for ever),
// calls nested deeper than kMaxCallDepth. Errors of the number conversions and
// of the sink pass through.
MODKIT_EXPORT void walkCommands(const BGLCommandList& list, GeometrySink& sink, const WalkState* state = nullptr,
                  WalkTrace* trace = nullptr);

// The number of triangles drawn; the number of DRAW_TRI_LIST_ITEM commands
// without a state. Reads no vertex numbers.
MODKIT_EXPORT int64_t countTriangles(const BGLCommandList& list, const WalkState* state = nullptr);

// Every triangle drawn, in drawing order.
MODKIT_EXPORT std::vector<WalkTriangle> drawnTriangles(const BGLCommandList& list, const WalkState* state = nullptr);

// The distinct material/texture pairs in force for at least one triangle, in the
// order of their first triangle. A pair used before any SET_MATERIAL has set
// false.
MODKIT_EXPORT std::vector<DrawState> materialTexturePairs(const BGLCommandList& list, const WalkState* state = nullptr);

// The variables (as addresses, 906 for 38A) that the stream's tests read, each
// once, in the order first met; those the walk does not decide are left out.
MODKIT_EXPORT std::vector<int32_t> testedVariables(const BGLCommandList& list);

// The opcode's name as the dictionary has it ("IFIN1", "JUMP"), or the
// library's name for opcodes the dictionary lacks ("IFINF1").
MODKIT_EXPORT std::string opcodeName(BGLOpcode op);

}  // namespace modkit
