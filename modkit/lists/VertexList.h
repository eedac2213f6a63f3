#pragma once
#include "modkit/core/Export.h"
#include <string>

#include "modkit/core/KeyedCollection.h"
#include "modkit/lists/Vertex.h"

namespace modkit {

// The VERT section: list opcode 181, an unsigned 16-bit count, a reserved long,
// 32-byte records of eight floats, end marker 34.
class MODKIT_EXPORT VertexList : public KeyedCollection<Vertex> {
public:
    VertexList() : KeyedCollection<Vertex>("Modkit.VertexList") {}
    void fillCollection(const std::string& data);
    // Error 6 for a pool of more than 65535 vertices, which the count cannot hold.
    std::string asString() const;
};

}  // namespace modkit
