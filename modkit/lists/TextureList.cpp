#include "modkit/lists/TextureList.h"

#include "modkit/core/Error.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.TextureList";
constexpr int kRecord = 80;
}

void TextureList::fillCollection(const std::string& data) {
    ByteReader in(data);
    if (getInteger(in) != 183) raiseLibrary(kSource, "No valid texture list data in string");
    int n = getInteger(in);
    getLong(in);
    if (n > 0 && 8 + static_cast<size_t>(n) * kRecord > data.size())
        raiseLibrary(kSource, "No valid texture list data in string: " + numtext::intText(n) + " textures need " +
                                  numtext::intText(8 + int64_t(n) * kRecord) + " bytes, the section holds " +
                                  numtext::intText(int64_t(data.size())));
    for (int i = 0; i < n; ++i) {
        auto t = std::make_shared<Texture>();
        t->setTextureType(getLong(in));
        auto c = t->Color();
        c->setBi(getByte(in));
        c->setAi(getByte(in));
        c->setRi(getByte(in));
        c->setGi(getByte(in));
        getLong(in);
        t->setSize(getSingle(in));
        t->setBitmap(getString(in, 64));
        Add(t);
    }
}

std::string TextureList::asString() const {
    if (Count() > 32767) raiseRuntime(err::Overflow, kSource);
    ByteWriter out;
    out.reserve(10 + static_cast<size_t>(Count()) * kRecord);
    putInteger(out, 183);
    putInteger(out, static_cast<int16_t>(Count()));
    putLong(out, 0);
    auto byte = [](int16_t v) {
        if (v < 0 || v > 255) raiseRuntime(err::Overflow, kSource);
        return static_cast<uint8_t>(v);
    };
    for (const auto& t : *this) {
        putLong(out, t->textureType());
        const Color& c = *t->Color();
        putByte(out, byte(c.Bi()));
        putByte(out, byte(c.Ai()));
        putByte(out, byte(c.Ri()));
        putByte(out, byte(c.Gi()));
        putLong(out, 0);
        putSingle(out, t->size());
        putString(out, t->bitmap(), 64);
    }
    putInteger(out, 34);
    return out.take();
}

int16_t TextureList::findTextureIndex(int16_t parent, int16_t season) const {
    if (Count() > 32767) raiseRuntime(err::Overflow, kSource);
    int16_t i = 0;
    for (const auto& t : *this) {
        ++i;
        if (static_cast<int32_t>(t->textureVariant()) == season && t->parent() == parent) return i;
    }
    return 0;
}

std::vector<std::string> locateTextureFiles(TextureList& list, const std::string& modelFolder,
                                            const std::vector<std::string>& searchFolders) {
    std::vector<std::string> missing;
    for (const auto& t : list) {
        t->setFile(locateTextureFile(t->bitmap(), modelFolder, searchFolders));
        if (t->file().empty() && !t->bitmap().empty()) missing.push_back(t->bitmap());
    }
    return missing;
}

}  // namespace modkit
