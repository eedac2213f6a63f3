#include "modkit/lists/Texture.h"

#include <algorithm>
#include <utility>

namespace modkit {
namespace {

const std::pair<int32_t, const char*> kTypeNames[] = {
    {1, "TEXTURE_AIRCRAFT"},      {2, "TEXTURE_MAP"},          {3, "TEXTURE_WATER"},
    {4, "TEXTURE_SKY"},           {5, "TEXTURE_GROUND"},       {6, "TEXTURE_BUILDING"},
    {7, "TEXTURE_EFFECT"},        {8, "TEXTURE_DAMAGE"},       {0x80, "TEXTURE_NIGHTMAP"},
    {0x100, "TEXTURE2_NIGHT"},    {0x200, "TEXTURE2_REFLECT"}, {0x300, "TEXTURE2_LIGHTMAP"},
    {0x400, "TEXTURE2_LIGHTMAP_A"}, {0x500, "TEXTURE2_DETAIL"}, {0xF00, "TEXTURE2_SHADER"},
};

}  // namespace

void Texture::setBitmap(const std::string& name) {
    bitmap_ = name;
    bitmap_.erase(std::remove(bitmap_.begin(), bitmap_.end(), '\0'), bitmap_.end());
}

std::string Texture::getTypeString() const {
    for (const auto& [v, n] : kTypeNames)
        if (v == type_) return n;
    return {};
}

int32_t Texture::getTypeVal(const std::string& s) const {
    for (const auto& [v, n] : kTypeNames)
        if (s == n) return v;
    return 0;
}

}  // namespace modkit
