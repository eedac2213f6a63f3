#include "modkit/bgl/BGLCommand.h"

#include <cstring>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

void checkIndex(int index) {
    if (index < 0 || index > BGLCommand::maxIndex) raiseRuntime(err::Subscript, "Modkit.BGLCommand");
}

void putField(std::string& out, std::string_view v) {
    if (v.size() < 255) {
        out.push_back(static_cast<char>(v.size()));
    } else {
        out.push_back(static_cast<char>(255));
        uint32_t n = static_cast<uint32_t>(v.size());
        out.append(reinterpret_cast<const char*>(&n), 4);
    }
    out.append(v.data(), v.size());
}

// Reads the field at pos; advances pos past it.
std::string_view nextField(std::string_view packed, size_t& pos) {
    size_t len = static_cast<unsigned char>(packed[pos++]);
    if (len == 255) {
        uint32_t n;
        std::memcpy(&n, packed.data() + pos, 4);
        pos += 4;
        len = n;
    }
    std::string_view v(packed.data() + pos, len);
    pos += len;
    return v;
}

}  // namespace

BGLCommand::BGLCommand(const BGLCommand& o) : opcode_(o.opcode_), parent_(o.parent_) {
    setPacked(o.packed());
    if (o.jumps_) jumps_ = std::make_unique<std::vector<int32_t>>(*o.jumps_);
}

BGLCommand& BGLCommand::operator=(const BGLCommand& o) {
    if (this != &o) {
        BGLCommand copy(o);
        *this = std::move(copy);
    }
    return *this;
}

std::string_view BGLCommand::packed() const {
    return big_ ? std::string_view(*big_) : std::string_view(small_, smallLen_);
}

void BGLCommand::setPacked(std::string_view bytes) {
    if (bytes.size() <= sizeof small_) {
        std::memcpy(small_, bytes.data(), bytes.size());
        smallLen_ = static_cast<uint8_t>(bytes.size());
        big_.reset();
    } else {
        big_ = std::make_unique<std::string>(bytes);
        smallLen_ = 0;
    }
}

void BGLCommand::appendPacked(std::string_view bytes) {
    if (!big_ && smallLen_ + bytes.size() <= sizeof small_) {
        std::memcpy(small_ + smallLen_, bytes.data(), bytes.size());
        smallLen_ = static_cast<uint8_t>(smallLen_ + bytes.size());
        return;
    }
    if (!big_) big_ = std::make_unique<std::string>(small_, smallLen_);
    big_->append(bytes);
}

std::string_view BGLCommand::field(int index) const {
    std::string_view all = packed();
    size_t pos = 0;
    for (int i = 0; pos < all.size(); ++i) {
        std::string_view v = nextField(all, pos);
        if (i == index) return v;
    }
    return {};
}

std::string BGLCommand::param(int index) const {
    checkIndex(index);
    return std::string(field(index));
}

int BGLCommand::paramSlots() const {
    std::string_view all = packed();
    int n = 0;
    for (size_t pos = 0; pos < all.size(); ++n) nextField(all, pos);
    return n;
}

void BGLCommand::appendParam(std::string_view value) {
    if (value.size() < 255) {
        char len = static_cast<char>(value.size());
        appendPacked(std::string_view(&len, 1));
        appendPacked(value);
        return;
    }
    std::string f;
    putField(f, value);
    appendPacked(f);
}

void BGLCommand::setParam(int index, std::string_view value) {
    checkIndex(index);
    std::string_view all = packed();
    std::string rebuilt;
    rebuilt.reserve(all.size() + value.size() + 6);
    size_t pos = 0;
    size_t lastNonEmptyEnd = 0;
    for (int i = 0; pos < all.size() || i <= index; ++i) {
        std::string_view v = pos < all.size() ? nextField(all, pos) : std::string_view();
        std::string_view put = i == index ? value : v;
        putField(rebuilt, put);
        if (!put.empty()) lastNonEmptyEnd = rebuilt.size();
    }
    rebuilt.resize(lastNonEmptyEnd);  // trailing empty texts take no room
    setPacked(rebuilt);
}

int32_t BGLCommand::jumpDest(int index) const {
    checkIndex(index);
    return jumps_ && static_cast<size_t>(index) < jumps_->size() ? (*jumps_)[static_cast<size_t>(index)] : 0;
}

void BGLCommand::setJumpDest(int index, int32_t dest) {
    checkIndex(index);
    if (!jumps_ || static_cast<size_t>(index) >= jumps_->size()) {
        if (dest == 0) return;
        if (!jumps_) jumps_ = std::make_unique<std::vector<int32_t>>();
        jumps_->resize(static_cast<size_t>(index) + 1, 0);
    }
    (*jumps_)[static_cast<size_t>(index)] = dest;
}

}  // namespace modkit
