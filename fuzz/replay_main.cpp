// Runs a fuzz target once on each file of the folders (or files) given, in name order, the
// way libFuzzer runs a corpus: the tests replay every seed on each run without clang.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_directory(argv[i], error)) {
            for (const fs::directory_entry& e : fs::directory_iterator(argv[i], error))
                if (e.is_regular_file()) inputs.push_back(e.path());
        } else if (fs::is_regular_file(argv[i], error)) {
            inputs.push_back(argv[i]);
        } else {
            std::fprintf(stderr, "%s: no such folder or file\n", argv[i]);
            return 2;
        }
    }
    // A target without seeds would pass while checking nothing.
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "%s: cannot be read\n", p.c_str());
            return 2;
        }
        // A copy of exactly the input's size, so a read past its end is caught by the sanitizer.
        std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
