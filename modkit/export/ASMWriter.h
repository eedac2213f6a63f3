#pragma once
#include "modkit/core/Export.h"
#include <string>

namespace modkit {

class TextureList;
class BGLCommandList;

// Writes a readable BGLC assembler listing of a model: a comment header, the
// texture names with their indices and one line per command with its
// parameters and jump destinations. Lines end in CR LF.
//
// The listing is built in memory and written by closeASM in one step, so a
// listing that fails half-way leaves an existing file as it was.
class MODKIT_EXPORT ASMWriter {
public:
    // Starts the listing for file with the header lines.
    void createASM(const std::string& file);
    void writeTextureList(const modkit::TextureList& tList);
    void writeBGLCommandList(const modkit::BGLCommandList& bglcList);
    // Writes the listing to its file; a second call does nothing.
    void closeASM();

    // The listing so far.
    const std::string& text() const { return text_; }

private:
    void line(const std::string& s);

    std::string file_;
    std::string text_;
    bool open_ = false;
};

}  // namespace modkit
