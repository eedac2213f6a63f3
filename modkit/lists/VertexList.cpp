#include "modkit/lists/VertexList.h"

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.VertexList";
constexpr int kRecord = 32;
}

void VertexList::fillCollection(const std::string& data) {
    ByteReader in(data);
    if (getInteger(in) != 181) raiseLibrary(kSource, "Error while reading vertex list");
    int32_t n = getUnsignedInteger(in);
    getLong(in);
    if (8 + static_cast<size_t>(n) * kRecord > data.size())
        raiseLibrary(kSource, "Error while reading vertex list: " + numtext::intText(n) + " vertices need " +
                                  numtext::intText(8 + int64_t(n) * kRecord) + " bytes, the section holds " +
                                  numtext::intText(int64_t(data.size())));
    reserve(static_cast<size_t>(Count() + n));
    for (int32_t i = 0; i < n; ++i) {
        pumpEvents();
        VertexRecord r;
        Vertex& v = r.value;
        v.setX(getSingle(in));
        v.setY(getSingle(in));
        v.setZ(getSingle(in));
        v.setNx(getSingle(in));
        v.setNy(getSingle(in));
        v.setNz(getSingle(in));
        v.setTx(getSingle(in));
        v.setTy(getSingle(in));
        appendRecord(r);
    }
}

Vertex VertexList::at(int position) const {
    if (position < 1 || position > Count()) raiseRuntime(err::InvalidCall, kSource);
    return current(static_cast<size_t>(position - 1));
}

void VertexList::copyFrom(const VertexList& other) {
    if (&other == this) return;
    clear();
    reserve(other.recordCount());
    for (size_t k = 0; k < other.recordCount(); ++k) {
        const VertexRecord& r = other.record(k);
        if (!r.live) {
            appendRecord(r);
            continue;
        }
        Add(std::make_shared<Vertex>(other.liveObject(r)), other.keyOf(static_cast<int>(k + 1)));
    }
}

std::string VertexList::asString() const {
    ByteWriter out;
    out.reserve(10 + static_cast<size_t>(Count()) * kRecord);
    putInteger(out, 181);
    if (Count() > 65535) raiseRuntime(err::Overflow, kSource);
    putUnsignedInteger(out, Count());
    putLong(out, 0);
    for (size_t k = 0; k < recordCount(); ++k) {
        const Vertex* v = &current(k);
        putSingle(out, v->x());
        putSingle(out, v->y());
        putSingle(out, v->z());
        putSingle(out, v->nx());
        putSingle(out, v->ny());
        putSingle(out, v->nz());
        putSingle(out, v->tx());
        putSingle(out, v->ty());
    }
    putInteger(out, 34);
    return out.take();
}

}  // namespace modkit
