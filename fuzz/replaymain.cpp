// Runs a harness once on each file named on the command line or lying in a folder named there,
// without libFuzzer, so the normal test suite replays the corpora.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    std::vector<fs::path> files;
    // Named in full: a harness may move the working folder into its scratch folder.
    for (int i = 1; i < argc; ++i) {
        const fs::path named = fs::absolute(argv[i]);
        if (fs::is_directory(named)) {
            for (const auto &entry : fs::recursive_directory_iterator(named))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(named);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 1;
    }
    for (const fs::path &file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A broken invariant aborts inside the harness, naming itself; the file is named first.
        std::fprintf(stderr, "%s\n", file.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
