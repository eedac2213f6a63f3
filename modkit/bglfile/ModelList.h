#pragma once
#include "modkit/core/Export.h"
#include "modkit/core/KeyedCollection.h"
#include "modkit/core/MDLObject.h"

namespace modkit {

// The models of a scenery library, "Object 1" onwards.
class MODKIT_EXPORT ModelList : public KeyedCollection<MDLObject> {
public:
    ModelList() : KeyedCollection<MDLObject>("Modkit.ModelList") {}
};

}  // namespace modkit
