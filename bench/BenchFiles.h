#pragma once
// The 500,000-triangle model as files on disk, for the benchmarks that open it
// as a user does: the model and its two textures (1024 x 1024 bitmaps).
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchModels.h"
#include "ModelBuilder.h"

namespace benchmodels {

struct LargeModelFiles {
    std::filesystem::path folder;
    std::string model;  // large.mdl
    uintmax_t bytes = 0;

    LargeModelFiles() {
        folder = std::filesystem::temp_directory_path() / ("fettle-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        model = (folder / "large.mdl").string();
        write(model, benchmodels::model(10));
        bytes = std::filesystem::file_size(model);
        for (const char* name : {"synthetic_a.bmp", "synthetic_b.bmp"}) {
            modelgen::Bitmap b{name, 1024, 1024, {}};
            b.rgb.resize(size_t{1024} * 1024 * 3);
            for (size_t i = 0; i < b.rgb.size(); ++i) b.rgb[i] = static_cast<uint8_t>((i * 7) ^ (i >> 11));
            write((folder / name).string(), modelgen::bmpFile(b));
        }
    }
    ~LargeModelFiles() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    LargeModelFiles(const LargeModelFiles&) = delete;
    LargeModelFiles& operator=(const LargeModelFiles&) = delete;

private:
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream f(path, std::ios::binary);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

}  // namespace benchmodels
