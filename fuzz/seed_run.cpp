// Runs a fuzz target once over each seed in the folder its argument names,
// without the fuzzer, so that the target's properties hold on every test
// run of every build, not only in the fuzz stage. A property that breaks
// aborts the run; the seed's name, printed before it, says where.
#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int seeds = 0;
  // A folder that cannot be read ends the run with the system's reason.
  for (const auto& entry : std::filesystem::directory_iterator(argc == 2 ? argv[1] : "")) {
    std::printf("seed %s\n", entry.path().filename().string().c_str());
    std::fflush(stdout);
    const std::string seed = readFile(entry.path());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size());
    ++seeds;
  }
  // A folder without a seed would check nothing.
  return seeds > 0 ? 0 : 1;
}
