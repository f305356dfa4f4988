// The driver of a fuzz target outside a fuzzing build: runs the target once
// on every file it is given, and on every file of every folder it is given,
// in name order. A crash or a sanitizer's report ends the run, after the
// name of the input it was running has been printed.
//
//   fuzz_target FILE_OR_FOLDER...

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// A target defines this only when it needs to set something up first.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsOf(const fs::path& argument) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(argument)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(argument))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(argument);
    }
    return inputs;
}

bool replay(const fs::path& input) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", input.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    std::printf("replay: %s (%zu bytes)\n", input.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsOf(argv[i])) {
            if (!replay(input))
                return 1;
            ++count;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 1;
    }
    std::printf("replay: %zu inputs, no fault\n", count);
    return 0;
}
