#include "ModelBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/core/HexFunctions.h"

using namespace modkit;

namespace modelgen {

Label BglBuilder::label() {
    labels_.push_back(-1);
    return Label{static_cast<int>(labels_.size()) - 1};
}

void BglBuilder::place(Label l) { labels_.at(static_cast<size_t>(l.id)) = static_cast<int64_t>(out_.size()); }

void BglBuilder::cmd(int opcode, const std::vector<Arg>& args) {
    const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(opcode);
    if (static_cast<int>(args.size()) != e.numParam) throw std::logic_error("wrong number of parameters");
    size_t start = out_.size();
    ByteWriter w;
    putInteger(w, static_cast<int16_t>(opcode));
    for (size_t i = 0; i < args.size(); ++i) {
        parameterType t = e.paramType[i];
        if (auto* l = std::get_if<Label>(&args[i])) {
            int width = t == parameterType::pLong ? 4 : 2;
            patches_.push_back({start + w.size(), start, l->id, width});
            if (width == 4) putLong(w, 0); else putInteger(w, 0);
            continue;
        }
        if (auto* s = std::get_if<std::string>(&args[i])) {
            putString(w, *s, e.strLength[i]);
            continue;
        }
        double v = std::get<double>(args[i]);
        switch (t) {
        case parameterType::pByte: putByte(w, static_cast<uint8_t>(v)); break;
        case parameterType::pInteger: putInteger(w, static_cast<int16_t>(v)); break;
        case parameterType::pLong: putLong(w, static_cast<int32_t>(v)); break;
        case parameterType::pSingle: putSingle(w, static_cast<float>(v)); break;
        case parameterType::pUInteger: putUnsignedInteger(w, static_cast<int32_t>(v)); break;
        case parameterType::pString: putString(w, "", e.strLength[i]); break;
        }
    }
    out_ += w.bytes();
}

void BglBuilder::triList(int base, const std::vector<std::array<uint16_t, 3>>& tris) {
    ByteWriter w;
    putInteger(w, 185);
    putUnsignedInteger(w, base);
    putUnsignedInteger(w, 0);
    putUnsignedInteger(w, static_cast<int32_t>(tris.size() * 3));
    for (const auto& t : tris)
        for (uint16_t v : t) putUnsignedInteger(w, v);
    out_ += w.bytes();
}

void BglBuilder::lineList(int base, const std::vector<std::array<uint16_t, 2>>& lines) {
    ByteWriter w;
    putInteger(w, 186);
    putUnsignedInteger(w, base);
    putUnsignedInteger(w, 0);
    putUnsignedInteger(w, static_cast<int32_t>(lines.size() * 2));
    for (const auto& l : lines)
        for (uint16_t v : l) putUnsignedInteger(w, v);
    out_ += w.bytes();
}

void BglBuilder::raw(const std::string& bytes) { out_ += bytes; }

std::string BglBuilder::bytes() const {
    std::string out = out_;
    for (const Patch& p : patches_) {
        int64_t target = labels_.at(static_cast<size_t>(p.label));
        if (target < 0) throw std::logic_error("label never placed");
        int64_t offset = target - static_cast<int64_t>(p.commandStart);
        ByteWriter w;
        if (p.width == 4) putLong(w, static_cast<int32_t>(offset));
        else putInteger(w, static_cast<int16_t>(offset));
        std::memcpy(out.data() + p.at, w.bytes().data(), static_cast<size_t>(p.width));
    }
    return out;
}

namespace {
void put4(ByteWriter& w, const std::array<float, 4>& c) {
    for (float f : c) putSingle(w, f);
}
}  // namespace

std::string materialsBody(const std::vector<Mat>& mats) {
    ByteWriter w;
    putInteger(w, 182);
    putInteger(w, static_cast<int16_t>(mats.size()));
    putLong(w, 0);
    for (const Mat& m : mats) {
        put4(w, m.diffuse);
        put4(w, m.ambient);
        put4(w, m.specular);
        put4(w, m.emissive);
        putSingle(w, m.power);
    }
    putInteger(w, 34);
    return w.take();
}

std::string texturesBody(const std::vector<Tex>& texs) {
    ByteWriter w;
    putInteger(w, 183);
    putInteger(w, static_cast<int16_t>(texs.size()));
    putLong(w, 0);
    for (const Tex& t : texs) {
        putLong(w, t.type);
        for (uint8_t b : t.bagr) putByte(w, b);
        putLong(w, 0);
        putSingle(w, t.size);
        putString(w, t.bitmap, 64);
    }
    putInteger(w, 34);
    return w.take();
}

std::string verticesBody(const std::vector<Vtx>& verts) {
    ByteWriter w;
    putInteger(w, 181);
    putUnsignedInteger(w, static_cast<int32_t>(verts.size()));
    putLong(w, 0);
    for (const Vtx& v : verts)
        for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tx, v.ty}) putSingle(w, f);
    putInteger(w, 34);
    return w.take();
}

std::string headerBody(const std::array<int32_t, 9>& p) {
    ByteWriter w;
    for (int32_t v : p) putLong(w, v);
    return w.take();
}

std::string bboxBody(float xmin, float ymin, float zmin, float xmax, float ymax, float zmax) {
    ByteWriter w;
    for (float f : {xmin, ymin, zmin, xmax, ymax, zmax}) putSingle(w, f);
    return w.take();
}

std::string mdlFile(const std::vector<Section>& top, const std::vector<Section>& exte, const std::string& form) {
    ByteWriter body;
    putString(body, form);
    for (const Section& s : top) {
        putString(body, s.tag);
        putLong(body, static_cast<int32_t>(s.body.size()));
        putString(body, s.body);
    }
    if (!exte.empty()) {
        ByteWriter inner;
        for (const Section& s : exte) {
            putString(inner, s.tag);
            putLong(inner, static_cast<int32_t>(s.body.size()));
            putString(inner, s.body);
        }
        putString(body, "EXTE");
        putLong(body, static_cast<int32_t>(inner.size()));
        putString(body, inner.bytes());
    }
    ByteWriter file;
    putString(file, "RIFF");
    putLong(file, static_cast<int32_t>(body.size()));
    putString(file, body.bytes());
    return file.take();
}

std::string syntheticModel(int vertices, int triangles, int jumpBlocks) {
    std::vector<Vtx> verts(static_cast<size_t>(vertices));
    const int side = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(vertices))));
    for (int i = 0; i < vertices; ++i) {
        Vtx& v = verts[static_cast<size_t>(i)];
        v.x = static_cast<float>(i % side);
        v.z = static_cast<float>(i / side);
        v.y = static_cast<float>((i * 7) % 13) * 0.25f;
        v.tx = v.x / static_cast<float>(side);
        v.ty = v.z / static_cast<float>(side);
    }
    BglBuilder b;
    Label end = b.label(), body = b.label();
    b.cmd(36, {end, 827.0, 0.0, 5000.0});  // IFIN1 distance 0..5000
    b.cmd(138, {body});                     // BGL_CALL_32
    b.place(end);
    b.cmd(189, {});  // BGL_END
    b.place(body);
    const int blocks = std::max(1, jumpBlocks);
    int left = triangles;
    const int maxIndex = std::max(3, std::min(vertices, 65535));
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(maxIndex));
    };
    for (int blk = 0; blk < blocks; ++blk) {
        int here = left / (blocks - blk);
        left -= here;
        Label skip = b.label();
        if (jumpBlocks > 0) b.cmd(36, {skip, 827.0, 0.0, static_cast<double>(100 + blk % 1000)});
        b.cmd(184, {static_cast<double>(blk % 2), static_cast<double>(blk % 3 == 2 ? -1 : blk % 2)});
        while (here > 0) {
            int n = std::min(here, 100);
            here -= n;
            std::vector<std::array<uint16_t, 3>> tris(static_cast<size_t>(n));
            for (auto& t : tris)
                t = {static_cast<uint16_t>(next()), static_cast<uint16_t>(next()), static_cast<uint16_t>(next())};
            b.triList(0, tris);
        }
        b.place(skip);
    }
    b.cmd(34, {});  // BGL_RETURN

    Mat m1, m2;
    m2.diffuse = {0.8f, 0.2f, 0.1f, 1};
    Tex t1, t2;
    t1.bitmap = "synthetic_a.bmp";
    t2.bitmap = "synthetic_b.bmp";
    return mdlFile({{"MDLH", headerBody({1, 2, 3, 4, 5, 6, 7, 8, 9})},
                    {"BBOX", bboxBody(0, 0, 0, static_cast<float>(side), 3.25f, static_cast<float>(vertices / side))}},
                   {{"TEXT", texturesBody({t1, t2})},
                    {"MATE", materialsBody({m1, m2})},
                    {"VERT", verticesBody(verts)},
                    {"BGL ", b.bytes()}});
}

namespace {

std::vector<Vtx> gridVertices(int count) {
    std::vector<Vtx> verts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Vtx& v = verts[static_cast<size_t>(i)];
        v.x = static_cast<float>(i % 16);
        v.z = static_cast<float>(i / 16);
        v.tx = v.x / 16;
        v.ty = v.z / 16;
    }
    return verts;
}

// IFIN1 distance test, body call, BGL_END, then the body placed by the caller.
Label bodyCall(BglBuilder& b) {
    Label end = b.label(), body = b.label();
    b.cmd(36, {end, 827.0, 0.0, 5000.0});
    b.cmd(138, {body});
    b.place(end);
    b.cmd(189, {});
    return body;
}

std::string modelWith(const std::vector<Tex>& texs, int vertices, const std::string& bgl) {
    return mdlFile({{"MDLH", headerBody({1, 2, 3, 4, 5, 6, 7, 8, 9})}, {"DICT", "dictionary"},
                    {"BBOX", bboxBody(0, 0, 0, 16, 1, 16)}},
                   {{"TEXT", texturesBody(texs)},
                    {"MATE", materialsBody({Mat{}, Mat{}})},
                    {"VERT", verticesBody(gridVertices(vertices))},
                    {"BGL ", bgl}});
}

}  // namespace

std::string lightsModel(int commands, int lights) {
    BglBuilder b;
    b.place(bodyCall(b));
    // Each light takes three commands; the triangles fill the rest in draw lists
    // of 20 (21 commands each) behind a test that jumps over them.
    const int fill = std::max(0, commands - 5 - 3 * lights);
    const int lists = fill / 23;
    int listsLeft = lists;
    for (int i = 0; i < lights; ++i) {
        Label past = b.label();
        b.cmd(159, {0.0});
        b.cmd(57, {past, 100.0, 1.0});  // variable 100: at or below the threshold
        b.cmd(178, {1.0, 0.0, 2.0, 0.0, 7.0, 0.5, 0.5, -1.0, 0.0, 1.0, 0.0});
        b.place(past);
        int here = listsLeft / (lights - i);
        listsLeft -= here;
        for (int k = 0; k < here; ++k) {
            Label skip = b.label();
            b.cmd(36, {skip, 827.0, 0.0, 1000.0});
            b.cmd(184, {0.0, 0.0});
            std::vector<std::array<uint16_t, 3>> tris(20);
            for (int t = 0; t < 20; ++t)
                tris[static_cast<size_t>(t)] = {static_cast<uint16_t>(t), static_cast<uint16_t>(t + 1), static_cast<uint16_t>(t + 16)};
            b.triList(0, tris);
            b.place(skip);
        }
    }
    b.cmd(34, {});
    Tex t;
    t.bitmap = "lights.bmp";
    return modelWith({t}, 64, b.bytes());
}

std::string seasonalModel(int selections, int trianglesEach) {
    BglBuilder b;
    b.place(bodyCall(b));
    for (int i = 0; i < selections; ++i) {
        Label skip = b.label();
        const bool guarded = i % 10 == 0;
        if (guarded) b.cmd(36, {skip, 827.0, 0.0, 1000.0});
        b.cmd(184, {static_cast<double>(i % 2), 0.0});
        std::vector<std::array<uint16_t, 3>> tris(static_cast<size_t>(trianglesEach));
        for (int t = 0; t < trianglesEach; ++t)
            tris[static_cast<size_t>(t)] = {static_cast<uint16_t>(t % 40), static_cast<uint16_t>(t % 40 + 1),
                                            static_cast<uint16_t>(t % 40 + 16)};
        b.triList(0, tris);
        b.cmd(184, {0.0, 4.0});  // another texture between the selections
        if (guarded) b.place(skip);
    }
    b.cmd(34, {});
    std::vector<Tex> texs(5);
    texs[0].bitmap = "base.bmp";
    texs[1].bitmap = "base_fa.bmp";
    texs[2].bitmap = "base_wi.bmp";
    texs[3].bitmap = "base_sp.bmp";
    texs[4].bitmap = "other.bmp";
    return modelWith(texs, 64, b.bytes());
}

std::string xmlBglLibrary(const std::vector<LibSection>& sections) {
    size_t subCount = 0;
    for (const LibSection& s : sections) subCount += s.subsections.size();
    const size_t tablesAt = 56 + 20 * sections.size();
    size_t dataAt = tablesAt + 16 * subCount;

    ByteWriter head, tables, data;
    putInteger(head, 513);
    putString(head, "", 18);
    putLong(head, static_cast<int32_t>(sections.size()));
    putString(head, "", 32);
    for (const LibSection& s : sections) {
        putLong(head, s.type);
        putLong(head, 0);
        putLong(head, static_cast<int32_t>(s.subsections.size()));
        putLong(head, static_cast<int32_t>(tablesAt + tables.size()));
        putLong(head, static_cast<int32_t>(16 * s.subsections.size()));
        for (const auto& records : s.subsections) {
            ByteWriter sub;
            if (s.type == 43) {
                size_t start = 24 * records.size();
                for (size_t i = 0; i < records.size(); ++i) {
                    putString(sub, "model-id-" + std::to_string(i), 16);
                    putLong(sub, static_cast<int32_t>(start));
                    putLong(sub, static_cast<int32_t>(records[i].size()));
                    start += records[i].size();
                }
            }
            for (const std::string& r : records) putString(sub, r);
            putLong(tables, 0);
            putLong(tables, static_cast<int32_t>(records.size()));
            putLong(tables, static_cast<int32_t>(dataAt + data.size()));
            putLong(tables, static_cast<int32_t>(sub.size()));
            putString(data, sub.bytes());
        }
    }
    return head.take() + tables.take() + data.take();
}

std::string meshModel(int triangles) {
    const int perCell = triangles > 2 * 255 * 255 ? 4 : 2;
    const int cells = (triangles + perCell - 1) / perCell;
    int side = 1;
    while (side * side < cells) ++side;
    const float size = 100, step = size / static_cast<float>(side);
    std::vector<Vtx> verts;
    for (int j = 0; j <= side; ++j)
        for (int i = 0; i <= side; ++i)
            verts.push_back(Vtx{static_cast<float>(i) * step, 0, static_cast<float>(j) * step, 0, 1, 0,
                                static_cast<float>(i) / static_cast<float>(side),
                                static_cast<float>(j) / static_cast<float>(side)});
    // Counter-clockwise seen from above, so the triangles face a camera above them.
    std::vector<std::array<uint16_t, 3>> tris;
    for (int j = 0; j < side && static_cast<int>(tris.size()) < triangles; ++j) {
        for (int i = 0; i < side && static_cast<int>(tris.size()) < triangles; ++i) {
            auto at = [&](int di, int dj) { return static_cast<uint16_t>((j + dj) * (side + 1) + i + di); };
            std::array<std::array<uint16_t, 3>, 4> cell = {{{at(0, 0), at(1, 0), at(1, 1)},
                                                            {at(0, 0), at(1, 1), at(0, 1)},
                                                            {at(0, 0), at(1, 0), at(0, 1)},
                                                            {at(1, 0), at(1, 1), at(0, 1)}}};
            for (int k = 0; k < perCell && static_cast<int>(tris.size()) < triangles; ++k) tris.push_back(cell[size_t(k)]);
        }
    }
    BglBuilder b;
    b.cmd(184, {0.0, -1.0});  // SET_MATERIAL 0, no texture
    for (size_t at = 0; at < tris.size(); at += 10000) {
        std::vector<std::array<uint16_t, 3>> chunk(tris.begin() + static_cast<std::ptrdiff_t>(at),
                                                   tris.begin() + static_cast<std::ptrdiff_t>(std::min(tris.size(), at + 10000)));
        b.triList(0, chunk);
    }
    b.cmd(34, {});  // BGL_RETURN
    Mat red;
    red.diffuse = {0.8f, 0.1f, 0.1f, 1};
    red.ambient = {0.8f, 0.1f, 0.1f, 1};
    return mdlFile({{"MDLH", headerBody({0, 0, 0, 0, 0, 0, 0, 0, 0})}, {"BBOX", bboxBody(0, 0, 0, size, 0, size)}},
                   {{"MATE", materialsBody({red})}, {"VERT", verticesBody(verts)}, {"BGL ", b.bytes()}});
}

std::string bitmapFile(int32_t width, int32_t height, int16_t bitCount, uint32_t compression,
                       const std::string& palette, const std::string& pixels) {
    ByteWriter w;
    const int32_t offset = 54 + static_cast<int32_t>(palette.size());
    putString(w, "BM");
    putLong(w, offset + static_cast<int32_t>(pixels.size()));
    putLong(w, 0);
    putLong(w, offset);
    putLong(w, 40);
    putLong(w, width);
    putLong(w, height);
    putInteger(w, 1);
    putInteger(w, bitCount);
    putLong(w, static_cast<int32_t>(compression));
    putLong(w, static_cast<int32_t>(pixels.size()));
    putLong(w, 2835);
    putLong(w, 2835);
    putLong(w, static_cast<int32_t>(palette.size() / 4));
    putLong(w, 0);
    putString(w, palette);
    putString(w, pixels);
    return w.take();
}

std::string ddsFile(int width, int height, const DdsFormat& format, const std::string& data) {
    ByteWriter w;
    putString(w, "DDS ");
    putLong(w, 124);
    putLong(w, 0x1007 | (format.fourCC.empty() ? 0x8 : 0x80000));  // caps, height, width, pixel format; pitch or linear size
    putLong(w, height);
    putLong(w, width);
    putLong(w, static_cast<int32_t>(format.fourCC.empty() ? (width * format.bitCount + 7) / 8 : data.size()));
    putLong(w, 0);  // depth
    putLong(w, 1);  // mipmap levels
    for (int i = 0; i < 11; ++i) putLong(w, 0);
    putLong(w, 32);
    int32_t flags = format.fourCC.empty() ? (format.luminance ? 0x20000 : 0x40) : 0x4;
    if (format.a) flags |= 0x1;
    putLong(w, flags);
    putString(w, format.fourCC.empty() ? std::string(4, '\0') : format.fourCC, 4);
    putLong(w, format.bitCount);
    for (uint32_t m : {format.r, format.g, format.b, format.a}) putLong(w, static_cast<int32_t>(m));
    putLong(w, 0x1000);  // caps: texture
    for (int i = 0; i < 4; ++i) putLong(w, 0);
    putString(w, data);
    return w.take();
}

}  // namespace modelgen
