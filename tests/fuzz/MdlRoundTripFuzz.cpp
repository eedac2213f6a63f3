// A model that reads saves to bytes that read back and save to the same bytes.
#include "FuzzInput.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    modkit::MDLObject first;
    try {
        first.readMDLBytes(bytesOf(data, size));
    } catch (const modkit::Error&) {
        return 0;
    }
    try {
        const std::string saved = first.toBytes();
        modkit::MDLObject second;
        second.readMDLBytes(saved);
        if (second.toBytes() != saved) fuzzFail("the saved model reads back to other bytes");
    } catch (const modkit::Error& e) {
        fuzzFail("a model that read failed to save or read back: " + e.description());
    }
    return 0;
}
