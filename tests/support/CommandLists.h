#pragma once
// Command lists built and compared in tests.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/Conditions.h"

namespace testcmds {

// A command with the given parameter texts and, when dest is not 0, jump
// parameter 0 landing on position dest.
inline std::shared_ptr<modkit::BGLCommand> cmd(modkit::BGLOpcode op, std::vector<std::string> params = {},
                                               int32_t dest = 0) {
    auto c = std::make_shared<modkit::BGLCommand>(op);
    for (size_t i = 0; i < params.size(); ++i) c->setParam(static_cast<int>(i), params[i]);
    if (dest != 0) c->setJumpDest(0, dest);
    return c;
}

// A condition that var lies between min and max.
inline std::shared_ptr<modkit::Condition> between(const char* var, int16_t min, int16_t max) {
    auto c = std::make_shared<modkit::Condition>();
    c->setVar(var), c->setMin(min), c->setMax(max);
    return c;
}

// Commands appended to a list.
inline void add(modkit::BGLCommandList& l, std::initializer_list<std::shared_ptr<modkit::BGLCommand>> cmds) {
    for (const auto& c : cmds) l.Add(c);
}

// One line per command: opcode, parameter texts and jump destinations. The
// texts of jump parameters, which hold byte offsets once a stream is read or
// written, are left out with jumpTexts false.
inline std::vector<std::string> picture(const modkit::BGLCommandList& l, bool jumpTexts = true) {
    std::vector<std::string> out;
    for (const auto& c : l) {
        std::string line = std::to_string(c->opcodeValue());
        const auto& e = modkit::BGLOpcodeDictionary::entry(c->opcodeValue());
        const int shown = jumpTexts ? c->paramSlots() : std::max<int>(c->paramSlots(), e.numParam);
        for (int i = 0; i < shown; ++i) {
            bool jump = i < e.numParam && e.isJump[static_cast<size_t>(i)];
            line += (i ? "," : " ") + (jump && !jumpTexts ? std::string("j") : c->param(i));
        }
        for (int i = 0; i < e.numParam; ++i)
            if (e.isJump[static_cast<size_t>(i)]) line += " ->" + std::to_string(c->jumpDest(i));
        out.push_back(line);
    }
    return out;
}

// The picture as one text, a line a command.
inline std::string pictureText(const modkit::BGLCommandList& l, bool jumpTexts = true) {
    std::string out;
    for (const auto& line : picture(l, jumpTexts)) out += line + "\n";
    return out;
}

}  // namespace testcmds
