// Any bytes: the scenery library reader gives its models or a modkit::Error,
// one of its own (100) when the damage is in its tables.
#include "FuzzInput.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    modkit::BGLObject lib;
    try {
        lib.readXMLBGLBytes(bytesOf(data, size), "fuzz.bgl");
    } catch (const modkit::Error& e) {
        if (e.source() == "Modkit.BGLObject" && e.number() != modkit::err::Library) fuzzFail("error " + std::to_string(e.number()) + ": " + e.description());
    }
    // The index stays readable whether or not every model loaded.
    for (int n = 1; n <= lib.modelCount(); ++n)
        if (lib.modelBytes(n).size() != static_cast<size_t>(lib.modelSize(n))) fuzzFail("model bytes differ from size");
    return 0;
}
