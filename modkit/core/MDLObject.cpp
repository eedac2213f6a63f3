#include "modkit/core/MDLObject.h"

#include <algorithm>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.MDLObject";
const char* const kInvalid = "This is not a valid RIFF scenery MDL file";

struct SlotDef {
    const char* tag;
    int16_t parent;
};
constexpr SlotDef kSlots[19] = {
    {"RIFF", -1}, {"MDLH", 0}, {"ISFT", 0}, {"DICT", 0}, {"BBOX", 0}, {"SHAD", 0}, {"CRAS", 0},
    {"EXTE", 0},  {"TEXT", 7}, {"MATE", 7}, {"VERT", 7}, {"BGL ", 7}, {"TRAN", 7}, {"ANIP", 7},
    {"ANIC", 7},  {"SCEN", 7}, {"ATTA", 7}, {"ATTO", 7}, {"PLAT", 7},
};
constexpr int16_t kMDLH = 1, kISFT = 2, kBBOX = 4, kTEXT = 8, kMATE = 9, kVERT = 10, kBGL = 11;

[[noreturn]] void damaged(const std::string& what) { raiseLibrary(kSource, std::string(kInvalid) + ": " + what); }

int32_t checkedSize(int64_t v) {
    if (v > INT32_MAX) raiseRuntime(err::Overflow, kSource);
    return static_cast<int32_t>(v);
}

std::string quoted(const std::string& tag) {
    std::string out = "\"";
    for (unsigned char c : tag) {
        if (c >= 32 && c < 127) out.push_back(static_cast<char>(c));
        else out += "\\x" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
    }
    return out + "\"";
}

}  // namespace

MDLObject::MDLObject()
    : header_(std::make_shared<modkit::MDLHeader>()),
      bbox_(std::make_shared<modkit::BoundingBox>()),
      materials_(std::make_shared<modkit::MaterialList>()),
      textures_(std::make_shared<modkit::TextureList>()),
      vertices_(std::make_shared<modkit::VertexList>()),
      commands_(std::make_shared<modkit::BGLCommandList>()) {
    for (int i = 0; i < 19; ++i) {
        sections_[static_cast<size_t>(i)].name = kSlots[i].tag;
        sections_[static_cast<size_t>(i)].parent = kSlots[i].parent;
    }
    // A model built in memory saves as a model file too.
    sections_[0].data = "MDL9";
}

MDLObject::~MDLObject() = default;

namespace {

template <class List, class Copy>
void copyList(const List& from, List& to, Copy copy) {
    to.clear();
    to.reserve(static_cast<size_t>(from.Count()));
    int position = 0;
    for (const auto& item : from) to.Add(copy(*item), from.keyOf(++position));
}

std::shared_ptr<Color> copyColor(const std::shared_ptr<Color>& c) {
    return c ? std::make_shared<Color>(*c) : std::make_shared<Color>();
}

void copyMaterials(const MaterialList& from, MaterialList& to) {
    copyList(from, to, [](const Material& a) {
        auto b = std::make_shared<Material>(a);
        b->setDiffuse(copyColor(a.Diffuse()));
        b->setAmbient(copyColor(a.Ambient()));
        b->setSpecular(copyColor(a.Specular()));
        b->setEmmisive(copyColor(a.Emmisive()));
        return b;
    });
}

void copyTextures(const TextureList& from, TextureList& to) {
    copyList(from, to, [](const Texture& a) {
        auto b = std::make_shared<Texture>(a);
        b->setColor(copyColor(a.Color()));
        return b;
    });
}

bool sameSection(const RIFFSection& a, const RIFFSection& b) {
    return a.name == b.name && a.size == b.size && a.parent == b.parent && a.data == b.data;
}

// What the texture list holds, the in-memory fields (files, variants, parents) included.
std::string textureState(const TextureList& l) {
    std::string s = l.asString();
    for (const auto& t : l) {
        s += t->file();
        s += '\0';
        s += std::to_string(static_cast<int>(t->textureVariant())) + ',' + std::to_string(t->parent()) + ';';
    }
    return s;
}

}  // namespace

void ModelPartsCopy::keep(uint32_t parts) {
    parts_ &= parts;
    if (!(parts_ & partHeader)) header_.reset();
    if (!(parts_ & partBBox)) bbox_.reset();
    if (!(parts_ & partISFT)) isft_ = RIFFSection();
    if (!(parts_ & partMaterials)) materials_.reset();
    if (!(parts_ & partTextures)) textures_.reset();
    if (!(parts_ & partVertices)) std::string().swap(vertices_);
    if (!(parts_ & partCommands)) std::string().swap(commands_);
    if (!(parts_ & partSections)) std::vector<std::pair<int16_t, RIFFSection>>().swap(sections_);
}

void ModelPartsCopy::addMissing(const ModelPartsCopy& o) {
    const uint32_t add = o.parts_ & ~parts_;
    if (add & partHeader) header_ = o.header_;
    if (add & partBBox) bbox_ = o.bbox_;
    if (add & partISFT) isft_ = o.isft_;
    if (add & partMaterials) materials_ = o.materials_;
    if (add & partTextures) textures_ = o.textures_;
    if (add & partVertices) vertices_ = o.vertices_;
    if (add & partCommands) commands_ = o.commands_;
    for (const auto& s : o.sections_)
        if (std::none_of(sections_.begin(), sections_.end(), [&](const auto& k) { return k.first == s.first; }))
            sections_.push_back(s);
    parts_ |= add;
}

size_t ModelPartsCopy::bytes() const {
    size_t n = sizeof(*this) + vertices_.size() + commands_.size() + isft_.data.size();
    if (header_) n += sizeof(MDLHeader);
    if (bbox_) n += sizeof(BoundingBox);
    if (materials_) n += static_cast<size_t>(materials_->Count()) * (sizeof(Material) + 4 * sizeof(Color) + 64);
    if (textures_)
        for (const auto& t : *textures_) n += sizeof(Texture) + sizeof(Color) + t->bitmap().size() + t->file().size() + 32;
    for (const auto& s : sections_) n += sizeof(s) + s.second.data.size();
    return n;
}

ModelPartsCopy MDLObject::copyParts(uint32_t parts) {
    ModelPartsCopy c;
    c.parts_ = parts & partAll;
    if (parts & partHeader) c.header_ = std::make_shared<modkit::MDLHeader>(*header_);
    if (parts & partBBox) c.bbox_ = std::make_shared<modkit::BoundingBox>(*bbox_);
    if (parts & partISFT) c.isft_ = sections_[kISFT];
    if (parts & partMaterials) {
        c.materials_ = std::make_shared<modkit::MaterialList>();
        copyMaterials(*materials_, *c.materials_);
    }
    if (parts & partTextures) {
        c.textures_ = std::make_shared<modkit::TextureList>();
        copyTextures(*textures_, *c.textures_);
    }
    if (parts & partVertices) c.vertices_ = vertices_->asString();
    if (parts & partCommands) c.commands_ = commands_->asString();
    if (parts & partSections)
        for (int16_t i = 0; i < slotCount; ++i) c.sections_.emplace_back(i, sections_[static_cast<size_t>(i)]);
    return c;
}

void MDLObject::restoreParts(const ModelPartsCopy& c) {
    if (c.parts_ & partHeader) *header_ = *c.header_;
    if (c.parts_ & partBBox) *bbox_ = *c.bbox_;
    if (c.parts_ & partMaterials) copyMaterials(*c.materials_, *materials_);
    if (c.parts_ & partTextures) copyTextures(*c.textures_, *textures_);
    if (c.parts_ & partVertices) {
        vertices_->clear();
        vertices_->fillCollection(c.vertices_);
    }
    if (c.parts_ & partCommands) {
        commands_->clear();
        commands_->readList(c.commands_);
    }
    for (const auto& [i, slot] : c.sections_) sections_[static_cast<size_t>(i)] = slot;
    if (c.parts_ & partISFT) sections_[kISFT] = c.isft_;
}

ModelPartsCopy MDLObject::copyLike(const ModelPartsCopy& c) {
    ModelPartsCopy n = copyParts(c.parts_ & ~partSections);
    n.parts_ = c.parts_;
    for (const auto& [i, slot] : c.sections_) n.sections_.emplace_back(i, sections_[static_cast<size_t>(i)]);
    return n;
}

uint32_t MDLObject::keepChangesOnly(ModelPartsCopy& c) {
    uint32_t changed = 0;
    auto differs = [&](uint32_t part, bool d) {
        if ((c.parts_ & part) && d) changed |= part;
    };
    differs(partHeader, c.header_ && c.header_->asString() != header_->asString());
    differs(partBBox, c.bbox_ && c.bbox_->asString() != bbox_->asString());
    differs(partISFT, !sameSection(c.isft_, sections_[kISFT]));
    differs(partMaterials, c.materials_ && c.materials_->asString() != materials_->asString());
    differs(partTextures, c.textures_ && textureState(*c.textures_) != textureState(*textures_));
    differs(partVertices, (c.parts_ & partVertices) && c.vertices_ != vertices_->asString());
    differs(partCommands, (c.parts_ & partCommands) && c.commands_ != commands_->asString());
    std::erase_if(c.sections_, [&](const auto& s) { return sameSection(s.second, sections_[static_cast<size_t>(s.first)]); });
    differs(partSections, !c.sections_.empty());
    c.keep(changed);
    return changed;
}

std::shared_ptr<MDLObject> MDLObject::clone() const {
    auto m = std::make_shared<MDLObject>();
    m->sections_ = sections_;
    *m->header_ = *header_;
    *m->bbox_ = *bbox_;
    copyMaterials(*materials_, *m->materials_);
    copyTextures(*textures_, *m->textures_);
    m->vertices_->copyFrom(*vertices_);
    m->commands_->copyFrom(*commands_);
    m->loaded_ = loaded_;
    m->status_ = status_;
    m->path_ = path_;
    return m;
}

size_t MDLObject::decodedBytes() const {
    size_t n = vertices_->bytesHeld() + commands_->bytesHeld();
    n += static_cast<size_t>(materials_->Count()) * (sizeof(Material) + 4 * sizeof(Color) + 64);
    for (const auto& t : *textures_) n += sizeof(Texture) + sizeof(Color) + t->bitmap().size() + t->file().size() + 32;
    return n;
}

void MDLObject::setLoadingStatus(modkit::LoadingStatus s) {
    status_ = s;
    pumpEventsNow();
}

std::string MDLObject::getISFT() const { return sections_[kISFT].data; }

void MDLObject::setISFT(const std::string& data) { setSection(kISFT, data); }

int16_t MDLObject::getRIFFSectionIndex(const std::string& tag) const {
    int16_t found = -1;
    for (int16_t i = 0; i < 19; ++i)
        if (sections_[static_cast<size_t>(i)].name == tag) found = i;
    return found;
}

int32_t MDLObject::getRIFFSectionSize(int16_t index) const { return section(index).size; }

const RIFFSection& MDLObject::section(int16_t index) const {
    if (index < 0 || index >= slotCount) raiseRuntime(err::Subscript, kSource);
    return sections_[static_cast<size_t>(index)];
}

void MDLObject::setSection(int16_t index, std::string data) {
    if (index < 0 || index >= slotCount) raiseRuntime(err::Subscript, kSource);
    RIFFSection& s = sections_[static_cast<size_t>(index)];
    s.size = checkedSize(static_cast<int64_t>(data.size()));
    s.data = std::move(data);
}

void MDLObject::readMDL(const std::string& file) {
    loaded_ = false;
    setLoadingStatus(modkit::LoadingStatus::loadingHEAD);
    // A RIFF size is a signed 32-bit number: no byte past it can belong to the model.
    std::string bytes = readFileBytes(file, kSource, uint64_t(8) + INT32_MAX);
    readSections(bytes);
    std::string().swap(bytes);  // the sections hold what is needed
    decodeSections();
    path_ = file;
}

void MDLObject::readMDLBytes(const std::string& bytes, const std::string& path) {
    loaded_ = false;
    setLoadingStatus(modkit::LoadingStatus::loadingHEAD);
    readSections(bytes);
    decodeSections();
    path_ = path;
}

void MDLObject::readSections(const std::string& bytes) {
    ByteReader in(bytes);
    const int64_t fileSize = static_cast<int64_t>(bytes.size());

    if (getString(in, 4) != sections_[0].name) raiseLibrary(kSource, kInvalid);
    int32_t riffSize = getLong(in);
    std::string form = getString(in, 4);
    if (form != "MDL9") {
        if (form == "MDLX") raiseLibrary(kSource, std::string(kInvalid) + " (form MDLX belongs to a later simulator generation)");
        if (form == "MDL8") raiseLibrary(kSource, std::string(kInvalid) + " (form MDL8 belongs to an earlier generation)");
        raiseLibrary(kSource, kInvalid);
    }
    if (riffSize < 0) damaged("the RIFF size " + numtext::intText(riffSize) + " is negative");
    if (int64_t(riffSize) + 8 > fileSize)
        damaged("the RIFF size " + numtext::intText(riffSize) + " runs past the end of the file (" +
                numtext::intText(fileSize) + " bytes)");
    sections_[0].size = riffSize;
    sections_[0].data = form;

    // Sections follow each other unpadded; EXTE's children are read by the same loop.
    while (in.position() < int64_t(riffSize) + 4) {
        const int64_t at = static_cast<int64_t>(in.offset());
        if (at + 8 > fileSize) damaged("the section header at byte " + numtext::intText(at) + " runs past the end of the file");
        std::string tag = getString(in, 4);
        int16_t slot = getRIFFSectionIndex(tag);
        if (slot < 0) raiseRuntime(err::Subscript, kSource);
        // A second RIFF header would replace the file's own form type.
        if (slot == 0) damaged("a \"RIFF\" header stands inside the file at byte " + numtext::intText(at));
        int32_t size = getLong(in);
        RIFFSection& s = sections_[static_cast<size_t>(slot)];
        if (size < 0)
            damaged("the size of section " + quoted(tag) + " at byte " + numtext::intText(at) + " is negative (" +
                    numtext::intText(size) + ")");
        s.size = size;
        if (slot == slotEXTE) continue;
        if (at + 8 + size > fileSize)
            damaged("section " + quoted(tag) + " at byte " + numtext::intText(at) + " claims " + numtext::intText(size) +
                    " bytes and runs past the end of the file (" + numtext::intText(fileSize) + " bytes)");
        s.data = getString(in, size);
    }
}

void MDLObject::decodeSections() {
    header_ = std::make_shared<modkit::MDLHeader>();
    materials_ = std::make_shared<modkit::MaterialList>();
    textures_ = std::make_shared<modkit::TextureList>();
    vertices_ = std::make_shared<modkit::VertexList>();
    commands_ = std::make_shared<modkit::BGLCommandList>();
    bbox_ = std::make_shared<modkit::BoundingBox>();

    if (sections_[kMDLH].size > 0) header_->readList(sections_[kMDLH].data);
    if (sections_[kBBOX].size > 0) bbox_->readList(sections_[kBBOX].data);
    setLoadingStatus(modkit::LoadingStatus::loadingMATE);
    if (sections_[kMATE].size > 0) materials_->readList(sections_[kMATE].data);
    setLoadingStatus(modkit::LoadingStatus::loadingTEXT);
    if (sections_[kTEXT].size > 0) textures_->fillCollection(sections_[kTEXT].data);
    setLoadingStatus(modkit::LoadingStatus::loadingVERT);
    if (sections_[kVERT].size > 0) vertices_->fillCollection(sections_[kVERT].data);
    // The lists hold these two bodies from now on; updateData encodes them
    // again before any write.
    std::string().swap(sections_[kVERT].data);
    setLoadingStatus(modkit::LoadingStatus::loadingBGL);
    if (sections_[kBGL].size > 0) commands_->readList(std::move(sections_[kBGL].data));
    std::string().swap(sections_[kBGL].data);
}

void MDLObject::updateData() {
    // A re-encoded section the model has takes the length of its new body, so the
    // saved file stays consistent; one it did not have stays absent.
    auto put = [&](int16_t slot, std::string body) {
        RIFFSection& s = sections_[static_cast<size_t>(slot)];
        s.data = std::move(body);
        if (s.size > 0) s.size = checkedSize(static_cast<int64_t>(s.data.size()));
    };
    put(getRIFFSectionIndex("MDLH"), header_->asString());
    put(getRIFFSectionIndex("BBOX"), bbox_->asString());
    put(getRIFFSectionIndex("MATE"), materials_->asString());
    sections_[static_cast<size_t>(getRIFFSectionIndex("TEXT"))].data = textures_->asString();
    put(getRIFFSectionIndex("VERT"), vertices_->asString());
    sections_[static_cast<size_t>(getRIFFSectionIndex("BGL "))].data = commands_->asString();
    updateSectionSize();
}

void MDLObject::updateSectionSize() {
    sections_[kBGL].size = checkedSize(commands_->streamLength());
    sections_[kTEXT].size = checkedSize(80 * int64_t(textures_->Count()) + 10);

    int64_t exte = 0;
    for (int i = 0; i < 19; ++i)
        if (sections_[static_cast<size_t>(i)].parent == slotEXTE && sections_[static_cast<size_t>(i)].size > 0)
            exte += sections_[static_cast<size_t>(i)].size + 8;
    sections_[slotEXTE].size = checkedSize(exte);

    int64_t riff = 0;
    for (int i = 0; i < 19; ++i)
        if (sections_[static_cast<size_t>(i)].parent == 0 && sections_[static_cast<size_t>(i)].size > 0)
            riff += sections_[static_cast<size_t>(i)].size + 8;
    sections_[0].size = checkedSize(riff + 4);
}

void MDLObject::writeSections(const std::function<void(std::string_view)>& write) {
    updateData();
    for (int i = 0; i < 19; ++i) {
        const RIFFSection& s = sections_[static_cast<size_t>(i)];
        if (s.size <= 0) continue;
        ByteWriter head;
        putString(head, s.name);
        putLong(head, s.size);
        write(head.bytes());
        if (i != slotEXTE) write(s.data);
        // Written: as after reading, the lists alone hold these two.
        if (i == kVERT || i == kBGL) std::string().swap(sections_[static_cast<size_t>(i)].data);
    }
}

std::string MDLObject::toBytes() {
    ByteWriter out;
    writeSections([&](std::string_view bytes) {
        if (out.size() == 0) out.reserve(static_cast<size_t>(sections_[0].size) + 8);
        out.writeRaw(bytes.data(), bytes.size());
    });
    return out.take();
}

// Section by section: the file's bytes are never held whole beside the model.
void MDLObject::saveMDL(const std::string& file) {
    writeFileAtomically(file, [&](const std::function<void(std::string_view)>& write) { writeSections(write); }, kSource);
}

}  // namespace modkit
