#include "modkit/core/BoundingBox.h"

#include "modkit/core/HexFunctions.h"

namespace modkit {

void BoundingBox::readList(const std::string& data) {
    ByteReader in(data);
    for (float& f : v_) f = getSingle(in);
}

std::string BoundingBox::asString() const {
    ByteWriter out;
    for (float f : v_) putSingle(out, f);
    return out.take();
}

}  // namespace modkit
