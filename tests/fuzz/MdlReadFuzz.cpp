// Any bytes: the model reader gives a model or a modkit::Error, nothing else.
#include "FuzzInput.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        modkit::MDLObject m;
        m.readMDLBytes(bytesOf(data, size));
    } catch (const modkit::Error&) {
    }
    return 0;
}
