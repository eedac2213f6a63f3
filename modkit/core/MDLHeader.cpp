#include "modkit/core/MDLHeader.h"

#include "modkit/core/Error.h"
#include "modkit/core/HexFunctions.h"

namespace modkit {

int32_t MDLHeader::param(int index) const {
    if (index < 0 || index > 8) raiseRuntime(err::Subscript, "Modkit.MDLHeader");
    return params_[static_cast<size_t>(index)];
}

void MDLHeader::setParam(int index, int32_t value) {
    if (index < 0 || index > 8) raiseRuntime(err::Subscript, "Modkit.MDLHeader");
    params_[static_cast<size_t>(index)] = value;
}

void MDLHeader::readList(const std::string& data) {
    ByteReader in(data);
    for (auto& p : params_) p = getLong(in);
}

std::string MDLHeader::asString() const {
    ByteWriter out;
    for (int32_t p : params_) putLong(out, p);
    return out.take();
}

}  // namespace modkit
