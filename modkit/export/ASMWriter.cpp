#include "modkit/export/ASMWriter.h"

#include "modkit/Version.h"
#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/lists/TextureList.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.ASMWriter";
constexpr size_t kNumberColumn = 32;  // 1-based print column of the texture index

// A number as a text print shows it: a blank (or the minus sign) in front and
// one blank behind.
std::string printedNumber(int64_t v) {
    return (v < 0 ? "" : " ") + numtext::intText(v) + " ";
}

}  // namespace

void ASMWriter::line(const std::string& s) {
    text_ += s;
    text_ += "\r\n";
}

void ASMWriter::createASM(const std::string& file) {
    file_ = file;
    text_.clear();
    open_ = true;
    line("; #######################################################");
    line("; ");
    line("; This BGLC source file has been created with the");
    line("; Modkit DLL version " + numtext::intText(versionMajor) + "." + numtext::intText(versionMinor) + "." +
         numtext::intText(versionPatch));
    line("; ");
    line("; For the moment this source file can only be used for");
    line("; debugging purposes. It does not yet contain all the");
    line("; code to create a valid MDL file again.");
    line("; ");
    line("; #######################################################");
    line("");
}

void ASMWriter::writeTextureList(const modkit::TextureList& tList) {
    line("; Start of texture list");
    int64_t index = 0;
    for (const auto& t : tList) {
        std::string s = t->bitmap();
        if (s.size() >= kNumberColumn) {
            line(s);
            s.clear();
        }
        s.resize(kNumberColumn - 1, ' ');
        line(s + printedNumber(index++));
    }
    line("");
}

void ASMWriter::writeBGLCommandList(const modkit::BGLCommandList& bglcList) {
    line("; Start of BGL command list");
    // About 60 characters a command: the listing of a large model grows once, not by doubling.
    text_.reserve(text_.size() + static_cast<size_t>(bglcList.Count()) * 64);
    std::vector<std::string> params;
    for (int32_t k = 1; k <= bglcList.Count(); ++k) {
        const BGLCommandView cmd = bglcList.view(k);
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(cmd.opcodeValue());
        cmd.params(params, e.numParam);
        text_ += e.name;
        for (int j = 0; j < e.numParam; ++j) {
            text_ += ' ';
            text_ += params[static_cast<size_t>(j)];
            text_ += " JD: ";
            text_ += numtext::intText(cmd.jumpDest(j));
            text_ += ',';
        }
        text_ += "\r\n";
        pumpEvents();
    }
    line("");
}

void ASMWriter::closeASM() {
    if (!open_) return;
    open_ = false;
    writeFileAtomically(file_, text_, kSource);
}

void MDLObject::exportASM(const std::string& f) {
    refuseOutputOverInput(f, {MDLPath()}, "Modkit.MDLObject");
    ASMWriter w;
    w.createASM(f);
    w.writeTextureList(*TextureList());
    w.writeBGLCommandList(*BGLCommandList());
    w.closeASM();
}

}  // namespace modkit
