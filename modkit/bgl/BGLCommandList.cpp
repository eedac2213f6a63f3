#include "modkit/bgl/BGLCommandList.h"

#include <charconv>
#include <cmath>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.BGLCommandList";

// Appends the decimal text of an integer parameter without a temporary string.
void appendInt(BGLCommand& c, int32_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    c.appendParam(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

[[noreturn]] void unrecognised(int32_t opcode) {
    raiseLibrary(kSource, "Unrecognised BGL Opcode: " + numtext::intText(opcode));
}

[[noreturn]] void endsInsideCommand(int32_t opcode, int64_t at, size_t bodyLength) {
    raiseLibrary(kSource, "The BGL section ends inside a command: opcode " + numtext::intText(opcode) +
                              " at byte " + numtext::intText(at) + " needs more than the " +
                              numtext::intText(static_cast<int64_t>(bodyLength)) + " bytes of the section");
}

// Reads a list header and its items (185 triangles of three indices, 186 line
// segments of two).
void readDrawList(BGLCommandList& list, ByteReader& in, int32_t opcode, int64_t& pos, size_t size) {
    if (pos + 8 > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
    auto header = std::make_shared<BGLCommand>(static_cast<BGLOpcode>(opcode));
    int32_t count = 0;
    for (int i = 0; i < 3; ++i) {
        count = getUnsignedInteger(in);
        appendInt(*header, count);
    }
    int perItem = opcode == 185 ? 3 : 2;
    // Half-way values go to the even neighbour.
    int64_t items = static_cast<int64_t>(std::nearbyint(static_cast<double>(count) / perItem));
    int64_t itemBytes = 2 * perItem;
    if (pos + 8 + items * itemBytes > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
    pos += 8;
    list.Add(header);
    BGLOpcode itemOp = opcode == 185 ? BGLOpcode::DRAW_TRI_LIST_ITEM : BGLOpcode::DRAW_LINE_LIST_ITEM;
    for (int64_t n = 0; n < items; ++n) {
        pumpEvents();
        auto item = std::make_shared<BGLCommand>(itemOp);
        for (int i = 0; i < perItem; ++i) appendInt(*item, getUnsignedInteger(in));
        pos += itemBytes;
        list.Add(item);
    }
}

}  // namespace

void BGLCommandList::readList(const std::string& data) {
    ByteReader in(data);
    const size_t size = data.size();
    reserve(static_cast<size_t>(Count()) + size / 6);  // triangles are the bulk of a stream
    int64_t pos = 0;
    while (pos < static_cast<int64_t>(size)) {
        pumpEvents();
        in.seek(static_cast<size_t>(pos));
        int32_t opcode = getInteger(in);
        if (opcode == 185 || opcode == 186) {
            readDrawList(*this, in, opcode, pos, size);
            continue;
        }
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(opcode);  // error 9 outside 0..260
        // The item entries exist only inside draw lists, never as opcode words.
        if (e.length <= 0 || opcode == 256 || opcode == 257) unrecognised(opcode);
        if (pos + e.length > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
        auto cmd = std::make_shared<BGLCommand>(static_cast<BGLOpcode>(opcode));
        for (int i = 0; i < e.numParam; ++i) {
            switch (e.paramType[static_cast<size_t>(i)]) {
            case parameterType::pByte: appendInt(*cmd, getByte(in)); break;
            case parameterType::pInteger: appendInt(*cmd, getInteger(in)); break;
            case parameterType::pLong: appendInt(*cmd, getLong(in)); break;
            case parameterType::pSingle: cmd->appendParam(numtext::singleText(getSingle(in))); break;
            case parameterType::pString: cmd->appendParam(getString(in, e.strLength[static_cast<size_t>(i)])); break;
            case parameterType::pUInteger: appendInt(*cmd, getUnsignedInteger(in)); break;
            }
        }
        pos += e.length;
        Add(cmd);
    }
    processJumpDest();
}

std::string BGLCommandList::asString() {
    updateJumpSize();
    ByteWriter out;
    out.reserve(static_cast<size_t>(Count()) * 6);
    auto u16 = [&](const std::string& t) { putUnsignedInteger(out, numtext::toInt32(t, kSource)); };
    for (const auto& cmd : *this) {
        int32_t op = cmd->opcodeValue();
        if (op == 256) {
            for (int i = 0; i < 3; ++i) u16(cmd->param(i));
            continue;
        }
        if (op == 257) {
            for (int i = 0; i < 2; ++i) u16(cmd->param(i));
            continue;
        }
        if (op < -32768 || op > 32767) raiseRuntime(err::Overflow, kSource);
        putInteger(out, static_cast<int16_t>(op));
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(op);
        if (op == 185 || op == 186) {
            for (int i = 0; i < 3; ++i) u16(cmd->param(i));
            continue;
        }
        for (int i = 0; i < e.numParam; ++i) {
            const std::string t = cmd->param(i);
            switch (e.paramType[static_cast<size_t>(i)]) {
            case parameterType::pByte: putByte(out, numtext::toByte(t, kSource)); break;
            case parameterType::pInteger: putInteger(out, numtext::toInt16(t, kSource)); break;
            case parameterType::pLong: putLong(out, numtext::toInt32(t, kSource)); break;
            case parameterType::pSingle: putSingle(out, numtext::toSingle(t, kSource)); break;
            case parameterType::pString: putString(out, t, e.strLength[static_cast<size_t>(i)]); break;
            case parameterType::pUInteger: u16(t); break;
            }
        }
    }
    return out.take();
}

void BGLCommandList::processParent() {
    int32_t lastTri = 0, lastLine = 0, k = 0;
    for (const auto& cmd : *this) {
        ++k;
        switch (cmd->opcodeValue()) {
        case 185: lastTri = k; break;
        case 186: lastLine = k; break;
        case 256: cmd->setParent(lastTri); break;
        case 257: cmd->setParent(lastLine); break;
        default: break;
        }
    }
}

void BGLCommandList::updateMaterial(int32_t position, bool Remove) {
    // One pass that marks the commands to drop, then one removal for all of them.
    std::vector<int32_t> removed;
    int32_t k = 0;
    try {
        for (const auto& cmd : *this) {
            ++k;
            if (cmd->opcodeValue() != 184) continue;
            int32_t t = numtext::toInt32(cmd->param(1), kSource);
            if (t >= position) {
                cmd->setParam(1, numtext::intText(Remove ? int64_t(t) - 1 : int64_t(t) + 1));
            } else if (Remove && t == position - 1) {
                removed.push_back(k);
            }
        }
    } catch (...) {
        removeWithJumpUpdate(removed);  // leave the list as far as the pass got
        throw;
    }
    removeWithJumpUpdate(removed);
}

}  // namespace modkit
