#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <memory>
#include <string>

#include "modkit/lists/Color.h"

namespace modkit {

enum class textureType : int32_t {
    TEXTURE_AIRCRAFT = 1,
    TEXTURE_MAP = 2,
    TEXTURE_WATER = 3,
    TEXTURE_SKY = 4,
    TEXTURE_GROUND = 5,
    TEXTURE_BUILDING = 6,
    TEXTURE_EFFECT = 7,
    TEXTURE_DAMAGE = 8,
    TEXTURE_NIGHTMAP = 0x80,
    TEXTURE2_NIGHT = 0x100,
    TEXTURE2_REFLECT = 0x200,
    TEXTURE2_LIGHTMAP = 0x300,
    TEXTURE2_LIGHTMAP_A = 0x400,
    TEXTURE2_DETAIL = 0x500,
    TEXTURE2_SHADER = 0xF00,
};

enum class textureVariant : int32_t {
    summer = 0,
    autumn = 1,
    winter = 2,
    heavywinter = 3,
    spring = 4,
};

// One entry of the model's texture list. textureType, Color, bitmap and size
// are stored in the file; file, textureVariant, parent and glPointer live in
// memory only.
class MODKIT_EXPORT Texture {
public:
    int32_t textureType() const { return type_; }
    void setTextureType(int32_t t) { type_ = t; }
    std::shared_ptr<modkit::Color> Color() const { return color_; }
    void setColor(std::shared_ptr<modkit::Color> c) { color_ = std::move(c); }
    const std::string& bitmap() const { return bitmap_; }
    // Every NUL is dropped, wherever it stands.
    void setBitmap(const std::string& name);
    const std::string& file() const { return file_; }
    void setFile(std::string f) { file_ = std::move(f); }
    float size() const { return size_; }
    void setSize(float s) { size_ = s; }
    modkit::textureVariant textureVariant() const { return variant_; }
    void setTextureVariant(modkit::textureVariant v) { variant_ = v; }
    int16_t parent() const { return parent_; }
    void setParent(int16_t p) { parent_ = p; }
    int32_t glPointer() const { return glPointer_; }
    void setGlPointer(int32_t p) { glPointer_ = p; }

    // The name of the current type, empty for a value without one.
    std::string getTypeString() const;
    // The value whose name is s exactly; 0 when none is.
    int32_t getTypeVal(const std::string& s) const;

private:
    int32_t type_ = 0;
    std::shared_ptr<modkit::Color> color_ = std::make_shared<modkit::Color>();
    std::string bitmap_;
    std::string file_;
    float size_ = 0;
    modkit::textureVariant variant_ = modkit::textureVariant::summer;
    int16_t parent_ = 0;
    int32_t glPointer_ = 0;
};

}  // namespace modkit
