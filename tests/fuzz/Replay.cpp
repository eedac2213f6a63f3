// Runs a harness over files and folders of inputs without libFuzzer: the
// regression reproducers and the seed corpus in the ordinary test suite.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s\n", file.c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path p = argv[i];
        if (!std::filesystem::is_directory(p)) {
            if (std::filesystem::exists(p)) replay(p), ++count;
            continue;
        }
        for (const auto& e : std::filesystem::directory_iterator(p))
            if (e.is_regular_file()) replay(e.path()), ++count;
    }
    std::printf("%d inputs replayed\n", count);
    return 0;
}
