#include "modkit/bgl/BGLCommandList.h"

#include <array>
#include <charconv>
#include <cmath>

#include "modkit/bgl/OpcodeFacts.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.BGLCommandList";

[[noreturn]] void unrecognised(int32_t opcode) {
    raiseLibrary(kSource, "Unrecognised BGL Opcode: " + numtext::intText(opcode));
}

[[noreturn]] void endsInsideCommand(int32_t opcode, int64_t at, size_t bodyLength) {
    raiseLibrary(kSource, "The BGL section ends inside a command: opcode " + numtext::intText(opcode) +
                              " at byte " + numtext::intText(at) + " needs more than the " +
                              numtext::intText(static_cast<int64_t>(bodyLength)) + " bytes of the section");
}

constexpr int32_t kTriBegin = toInt(BGLOpcode::DRAW_TRI_LIST_BEGIN);
constexpr int32_t kLineBegin = toInt(BGLOpcode::DRAW_LINE_LIST_BEGIN);
constexpr int32_t kTriItem = toInt(BGLOpcode::DRAW_TRI_LIST_ITEM);
constexpr int32_t kLineItem = toInt(BGLOpcode::DRAW_LINE_LIST_ITEM);

bool isItem(int32_t op) { return op == kTriItem || op == kLineItem; }

// Calls out(text) for each parameter of the command whose bytes start at p, in
// index order, until out returns false. The texts are those a decoded command
// holds: a list header's three counts and the items' vertex numbers unsigned.
template <class Out>
void decodeParams(const char* p, int32_t op, Out out, int first = 0) {
    ByteReader in(std::string_view(p, static_cast<size_t>(BGLOpcodeDictionary::lengthOf(op))));
    if (!isItem(op)) in.skip(2);
    char buf[32];
    auto number = [&](int64_t v) {
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        return std::string_view(buf, static_cast<size_t>(r.ptr - buf));
    };
    if (op == kTriBegin || op == kLineBegin || isItem(op)) {
        const int n = op == kLineItem ? 2 : 3;
        in.skip(2 * static_cast<size_t>(first));
        for (int i = first; i < n; ++i)
            if (!out(number(getUnsignedInteger(in)))) return;
        return;
    }
    const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(op);
    for (int i = 0; i < first && i < e.numParam; ++i)
        in.skip(static_cast<size_t>(parameterWidth(e.paramType[static_cast<size_t>(i)], e.strLength[static_cast<size_t>(i)])));
    for (int i = first; i < e.numParam; ++i) {
        bool more = true;
        switch (e.paramType[static_cast<size_t>(i)]) {
        case parameterType::pByte: more = out(number(getByte(in))); break;
        case parameterType::pInteger: more = out(number(getInteger(in))); break;
        case parameterType::pLong: more = out(number(getLong(in))); break;
        case parameterType::pSingle: more = out(numtext::singleText(getSingle(in))); break;
        case parameterType::pString: more = out(getString(in, e.strLength[static_cast<size_t>(i)])); break;
        case parameterType::pUInteger: more = out(number(getUnsignedInteger(in))); break;
        }
        if (!more) return;
    }
}

// True for the opcodes whose bytes, as read, are what encoding their decoded
// texts gives: only whole numbers, and exactly the bytes the command spans.
bool copiesExactly(int32_t op) {
    static const std::array<bool, BGLOpcodeDictionary::slotCount> table = [] {
        std::array<bool, BGLOpcodeDictionary::slotCount> t{};
        for (int32_t o = 0; o < BGLOpcodeDictionary::slotCount; ++o) {
            const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(o);
            if (e.length <= 0) continue;
            if (o == kTriBegin || o == kLineBegin || isItem(o)) {
                t[static_cast<size_t>(o)] = e.length == (o == kLineItem ? 4 : o == kTriItem ? 6 : 8);
                continue;
            }
            int width = 2;
            bool whole = true;
            for (int i = 0; i < e.numParam; ++i) {
                const parameterType pt = e.paramType[static_cast<size_t>(i)];
                whole = whole && pt != parameterType::pSingle && pt != parameterType::pString;
                width += parameterWidth(pt, e.strLength[static_cast<size_t>(i)]);
            }
            t[static_cast<size_t>(o)] = whole && width == e.length;
        }
        return t;
    }();
    return op >= 0 && op < BGLOpcodeDictionary::slotCount && table[static_cast<size_t>(op)];
}

void checkViewIndex(int index) {
    if (index < 0 || index > BGLCommand::maxIndex) raiseRuntime(err::Subscript, "Modkit.BGLCommand");
}

// Encodes one command from its texts.
void encode(ByteWriter& out, const BGLCommand& cmd) {
    auto u16 = [&](const std::string& t) { putUnsignedInteger(out, numtext::toInt32(t, kSource)); };
    int32_t op = cmd.opcodeValue();
    if (op == kTriItem) {
        for (int i = 0; i < 3; ++i) u16(cmd.param(i));
        return;
    }
    if (op == kLineItem) {
        for (int i = 0; i < 2; ++i) u16(cmd.param(i));
        return;
    }
    if (op < -32768 || op > 32767) raiseRuntime(err::Overflow, kSource);
    putInteger(out, static_cast<int16_t>(op));
    const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(op);
    if (op == kTriBegin || op == kLineBegin) {
        for (int i = 0; i < 3; ++i) u16(cmd.param(i));
        return;
    }
    for (int i = 0; i < e.numParam; ++i) {
        const std::string t = cmd.param(i);
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

}  // namespace

std::string BGLCommandView::param(int index) const {
    if (cmd_) return cmd_->param(index);
    checkViewIndex(index);
    if (opcode_ == kTriBegin || opcode_ == kLineBegin || isItem(opcode_)) {
        // The counts and vertex numbers: unsigned 16-bit, read straight.
        if (index >= (opcode_ == kLineItem ? 2 : 3)) return std::string();
        const auto* b = reinterpret_cast<const unsigned char*>(bytes_) + (isItem(opcode_) ? 0 : 2) + 2 * index;
        char buf[8];
        auto r = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(b[0] | (b[1] << 8)));
        return std::string(buf, r.ptr);
    }
    std::string text;
    decodeParams(bytes_, opcode_, [&](std::string_view v) {
        text.assign(v);
        return false;
    }, index);
    return text;
}

void BGLCommandView::params(std::vector<std::string>& out, int count) const {
    out.clear();
    if (cmd_ || count <= 0) {
        for (int i = 0; i < count; ++i) out.push_back(param(i));
        return;
    }
    checkViewIndex(count - 1);
    decodeParams(bytes_, opcode_, [&](std::string_view v) {
        out.emplace_back(v);
        return static_cast<int>(out.size()) < count;
    });
    out.resize(static_cast<size_t>(count));
}

double BGLCommandView::number(int index, const char* source) const {
    if (cmd_ || index < 0 || index > BGLCommand::maxIndex) return numtext::toDouble(param(index), source);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes_);
    if (opcode_ == kTriBegin || opcode_ == kLineBegin || isItem(opcode_)) {
        if (index >= (opcode_ == kLineItem ? 2 : 3)) return numtext::toDouble("", source);
        b += (isItem(opcode_) ? 0 : 2) + 2 * index;
        return b[0] | (b[1] << 8);
    }
    const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(opcode_);
    if (index >= e.numParam) return numtext::toDouble("", source);
    b += 2;
    for (int i = 0; i < index; ++i)
        b += parameterWidth(e.paramType[static_cast<size_t>(i)], e.strLength[static_cast<size_t>(i)]);
    switch (e.paramType[static_cast<size_t>(index)]) {
    case parameterType::pByte: return b[0];
    case parameterType::pInteger: return static_cast<int16_t>(b[0] | (b[1] << 8));
    case parameterType::pUInteger: return b[0] | (b[1] << 8);
    case parameterType::pLong: return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    default: return numtext::toDouble(param(index), source);  // the text's own reading
    }
}

int BGLCommandView::paramSlots() const {
    if (cmd_) return cmd_->paramSlots();
    if (opcode_ == kTriBegin || opcode_ == kLineBegin || opcode_ == kTriItem) return 3;
    if (opcode_ == kLineItem) return 2;
    return BGLOpcodeDictionary::entry(opcode_).numParam;
}

int32_t BGLCommandView::jumpDest(int index) const {
    if (cmd_) return cmd_->jumpDest(index);
    checkViewIndex(index);
    return index == 0 ? jump_ : 0;  // commands with other jumps are objects
}

BGLCommandView BGLCommandList::view(int position) const {
    if (position < 1 || position > Count()) raiseRuntime(err::InvalidCall, kSource);
    const BGLCommandRecord& r = record(static_cast<size_t>(position - 1));
    BGLCommandView v;
    if (r.live) {
        v.cmd_ = &liveObject(r);
        v.opcode_ = v.cmd_->opcodeValue();
    } else {
        v.bytes_ = stream_.data() + r.where;
        v.opcode_ = r.opcode;
        (isItem(r.opcode) ? v.parent_ : v.jump_) = r.parent;
    }
    return v;
}

int32_t BGLCommandList::opcodeAt(int position) const {
    if (position < 1 || position > Count()) raiseRuntime(err::InvalidCall, kSource);
    const BGLCommandRecord& r = record(static_cast<size_t>(position - 1));
    return r.live ? liveObject(r).opcodeValue() : r.opcode;
}

std::shared_ptr<BGLCommand> BGLCommandList::unpack(const BGLCommandRecord& r) const {
    auto cmd = std::make_shared<BGLCommand>(static_cast<BGLOpcode>(r.opcode));
    if (isItem(r.opcode)) cmd->setParent(r.parent);
    else if (r.parent != 0) cmd->setJumpDest(0, r.parent);
    decodeParams(stream_.data() + r.where, r.opcode, [&](std::string_view v) {
        cmd->appendParam(v);
        return true;
    });
    return cmd;
}

void BGLCommandList::readList(const std::string& data) {
    if (data.size() > UINT32_MAX - stream_.size()) raiseRuntime(err::Overflow, kSource);
    const size_t base = stream_.size();
    stream_.append(data);
    readStream(base, data.size());
}

void BGLCommandList::readList(std::string&& data) {
    if (!stream_.empty()) {
        readList(static_cast<const std::string&>(data));
        return;
    }
    if (data.size() > UINT32_MAX) raiseRuntime(err::Overflow, kSource);
    stream_ = std::move(data);
    readStream(0, stream_.size());
}

void BGLCommandList::readStream(size_t base, size_t size) {
    ByteReader in(std::string_view(stream_).substr(base, size));
    reserve(recordCount() + size / 6);  // triangles are the bulk of a stream
    auto add = [&](int32_t op, int64_t at) {
        BGLCommandRecord r;
        r.where = static_cast<uint32_t>(base + static_cast<size_t>(at));
        r.opcode = static_cast<int16_t>(op);
        appendRecord(r);
    };
    int64_t pos = 0;
    while (pos < static_cast<int64_t>(size)) {
        pumpEvents();
        in.seek(static_cast<size_t>(pos));
        int32_t opcode = getInteger(in);
        if (opcode == kTriBegin || opcode == kLineBegin) {
            // A list header and its items (triangles of three indices,
            // line segments of two); the header's last count gives the items.
            if (pos + 8 > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
            getUnsignedInteger(in);
            getUnsignedInteger(in);
            const int32_t count = getUnsignedInteger(in);
            const int perItem = opcode == kTriBegin ? 3 : 2;
            // Half-way values go to the even neighbour.
            const int64_t items = static_cast<int64_t>(std::nearbyint(static_cast<double>(count) / perItem));
            const int64_t itemBytes = 2 * perItem;
            if (pos + 8 + items * itemBytes > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
            add(opcode, pos);
            pos += 8;
            const int32_t itemOp = opcode == kTriBegin ? kTriItem : kLineItem;
            for (int64_t n = 0; n < items; ++n, pos += itemBytes) add(itemOp, pos);
            continue;
        }
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(opcode);  // error 9 outside 0..260
        // The item entries exist only inside draw lists, never as opcode words.
        if (e.length <= 0 || isItem(opcode)) unrecognised(opcode);
        if (pos + e.length > static_cast<int64_t>(size)) endsInsideCommand(opcode, pos, size);
        add(opcode, pos);
        pos += e.length;
    }
    processJumpDest();
}

void BGLCommandList::copyFrom(const BGLCommandList& other) {
    if (&other == this) return;
    clear();
    stream_ = other.stream_;
    reserve(other.recordCount());
    for (size_t k = 0; k < other.recordCount(); ++k) {
        const BGLCommandRecord& r = other.record(k);
        if (r.live) Add(std::make_shared<BGLCommand>(other.liveObject(r)), other.keyOf(static_cast<int>(k + 1)));
        else appendRecord(r);
    }
}

int64_t BGLCommandList::streamLength() const {
    int64_t n = 0;
    const OpcodeFacts& facts = OpcodeFacts::get();
    for (size_t k = 0; k < recordCount(); ++k) {
        const BGLCommandRecord& r = record(k);
        n += r.live ? BGLOpcodeDictionary::entry(liveObject(r).opcodeValue()).length : facts.lengthOf(r.opcode);
    }
    return n;
}

std::string BGLCommandList::asString() {
    updateJumpSize();
    ByteWriter out;
    out.reserve(static_cast<size_t>(streamLength()));
    std::shared_ptr<BGLCommand> made;
    const OpcodeFacts& facts = OpcodeFacts::get();
    const size_t n = recordCount();
    for (size_t k = 0; k < n; ++k) {
        const BGLCommandRecord& r = record(k);
        if (r.live) {
            encode(out, liveObject(r));
        } else if (copiesExactly(r.opcode)) {
            // Commands that follow each other in the stream copy go out as one run.
            size_t end = r.where + static_cast<size_t>(facts.lengthOf(r.opcode));
            while (k + 1 < n) {
                const BGLCommandRecord& next = record(k + 1);
                if (next.live || next.where != end || !copiesExactly(next.opcode)) break;
                end += static_cast<size_t>(facts.lengthOf(next.opcode));
                ++k;
            }
            out.writeRaw(stream_.data() + r.where, end - r.where);
        } else {
            made = unpack(r);
            encode(out, *made);
        }
    }
    return out.take();
}

void BGLCommandList::processParent() {
    int32_t lastTri = 0, lastLine = 0;
    for (size_t i = 0; i < recordCount(); ++i) {
        BGLCommandRecord& r = record(i);
        const int32_t k = static_cast<int32_t>(i + 1);
        const int32_t op = r.live ? liveObject(r).opcodeValue() : r.opcode;
        const int32_t parent = op == kTriItem ? lastTri : lastLine;
        switch (op) {
        case kTriBegin: lastTri = k; break;
        case kLineBegin: lastLine = k; break;
        case kTriItem:
        case kLineItem:
            if (r.live) liveObject(r).setParent(parent);
            else r.parent = parent;
            break;
        default: break;
        }
    }
}

void BGLCommandList::updateMaterial(int32_t position, bool Remove) {
    // One pass that marks the commands to drop, then one removal for all of them.
    std::vector<int32_t> removed;
    int32_t k = 0;
    try {
        for (k = 1; k <= Count(); ++k) {
            if (opcodeAt(k) != toInt(BGLOpcode::SET_MATERIAL)) continue;
            int32_t t = numtext::toInt32(view(k).param(1), kSource);
            if (t >= position) {
                Item(k)->setParam(1, numtext::intText(Remove ? int64_t(t) - 1 : int64_t(t) + 1));
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
