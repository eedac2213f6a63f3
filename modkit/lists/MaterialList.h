#pragma once
#include "modkit/core/Export.h"
#include <string>

#include "modkit/core/KeyedCollection.h"
#include "modkit/lists/Material.h"

namespace modkit {

// The MATE section: list opcode 182, a count, a reserved long, 68-byte records
// of 17 floats, end marker 34.
class MODKIT_EXPORT MaterialList : public KeyedCollection<Material> {
public:
    MaterialList() : KeyedCollection<Material>("Modkit.MaterialList") {}
    void readList(const std::string& data);
    std::string asString() const;
};

}  // namespace modkit
