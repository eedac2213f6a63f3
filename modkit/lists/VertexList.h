#pragma once
#include "modkit/core/Export.h"
#include <string>

#include "modkit/core/CompactCollection.h"
#include "modkit/lists/Vertex.h"

namespace modkit {

// A vertex held by value until a caller asks for it as an object.
struct VertexRecord {
    Vertex value;
    uint32_t where = 0;  // the object's index once live
    bool live = false;
};

// The VERT section: list opcode 181, an unsigned 16-bit count, a reserved long,
// 32-byte records of eight floats, end marker 34. Vertices are held in one flat
// array; Item makes an object of one.
class MODKIT_EXPORT VertexList : public CompactCollection<Vertex, VertexRecord> {
public:
    VertexList() : CompactCollection<Vertex, VertexRecord>("Modkit.VertexList") {}
    void fillCollection(const std::string& data);
    // Error 6 for a pool of more than 65535 vertices, which the count cannot hold.
    std::string asString() const;
    // The vertex at the 1-based position as it is now, without making an
    // object of it (error 5 outside).
    Vertex at(int position) const;
    // Replaces the list by a deep copy of other (keys included).
    void copyFrom(const VertexList& other);

private:
    std::shared_ptr<Vertex> unpack(const VertexRecord& r) const override { return std::make_shared<Vertex>(r.value); }
    const Vertex& current(size_t i) const {
        const VertexRecord& r = record(i);
        return r.live ? liveObject(r) : r.value;
    }
};

}  // namespace modkit
