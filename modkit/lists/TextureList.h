#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/core/KeyedCollection.h"
#include "modkit/lists/Texture.h"

namespace modkit {

// The TEXT section: list opcode 183, a count, a reserved long, 80-byte records,
// end marker 34.
class MODKIT_EXPORT TextureList : public KeyedCollection<Texture> {
public:
    TextureList() : KeyedCollection<Texture>("Modkit.TextureList") {}
    void fillCollection(const std::string& data);
    std::string asString() const;
    // Position of the texture of base texture `parent` serving `season`; 0 when none.
    int16_t findTextureIndex(int16_t parent, int16_t season) const;
};

// Sets each texture's file to where its bitmap is found (the model's folder,
// then each search folder; see locateTextureFile), empty where it is not, and
// returns the bitmaps that were not found.
MODKIT_EXPORT std::vector<std::string> locateTextureFiles(TextureList& list, const std::string& modelFolder,
                                            const std::vector<std::string>& searchFolders);

}  // namespace modkit
