// Runs a fuzz target once over each seed in the folder its one argument
// names, without the fuzzer, so that the target's properties hold on every
// test run of every build, not only in the fuzz stage. A property that
// breaks aborts the run; the seed's name, printed before it, says where.
#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int seeds = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(argv[1], error), end; !error && entry != end;
       entry.increment(error), ++seeds) {
    std::printf("seed %s\n", entry->path().filename().string().c_str());
    std::fflush(stdout);
    const std::string seed = readFile(entry->path());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size());
  }
  // A folder that cannot be read or holds no seed would check nothing.
  return error || seeds == 0 ? 1 : 0;
}
