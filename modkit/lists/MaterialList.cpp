#include "modkit/lists/MaterialList.h"

#include "modkit/core/Error.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.MaterialList";
constexpr int kRecord = 68;

void readColor(ByteReader& in, Color& c) {
    c.setR(getSingle(in));
    c.setG(getSingle(in));
    c.setB(getSingle(in));
    c.setA(getSingle(in));
}

void writeColor(ByteWriter& out, const Color& c) {
    putSingle(out, c.r());
    putSingle(out, c.g());
    putSingle(out, c.b());
    putSingle(out, c.a());
}

}  // namespace

void MaterialList::readList(const std::string& data) {
    ByteReader in(data);
    if (getInteger(in) != 182) raiseLibrary(kSource, "Data does not contain a valid material list");
    int n = getInteger(in);
    getLong(in);
    if (n > 0 && 8 + static_cast<size_t>(n) * kRecord > data.size())
        raiseLibrary(kSource, "Data does not contain a valid material list: " + numtext::intText(n) +
                                  " materials need " + numtext::intText(8 + int64_t(n) * kRecord) +
                                  " bytes, the section holds " + numtext::intText(int64_t(data.size())));
    for (int i = 0; i < n; ++i) {
        auto m = std::make_shared<Material>();
        readColor(in, *m->Diffuse());
        readColor(in, *m->Ambient());
        readColor(in, *m->Specular());
        readColor(in, *m->Emmisive());
        m->setPower(getSingle(in));
        Add(m);
    }
}

std::string MaterialList::asString() const {
    if (Count() > 32767) raiseRuntime(err::Overflow, kSource);
    ByteWriter out;
    out.reserve(10 + static_cast<size_t>(Count()) * kRecord);
    putInteger(out, 182);
    putInteger(out, static_cast<int16_t>(Count()));
    putLong(out, 0);
    for (const auto& m : *this) {
        writeColor(out, *m->Diffuse());
        writeColor(out, *m->Ambient());
        writeColor(out, *m->Specular());
        writeColor(out, *m->Emmisive());
        putSingle(out, m->Power());
    }
    putInteger(out, 34);
    return out.take();
}

}  // namespace modkit
