// Fuzz target: the settings file, a real zerin.cfg holding the input that
// readConfigFile reads as the commands do. Besides crashes, it aborts when
// - a data directory holds a '#' or a line end: a comment or the next line
//   became part of the value;
// - the file rewritten as the input twice over and then two entries of its
//   own does not read as the input alone with those two values: every entry
//   overwrites, whatever came before it, and a file changed between two
//   reads is read anew.
#include "config/settings.h"
#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool same(const ConfigSettings& a, const ConfigSettings& b) {
  return a.repositoryDataDirectory == b.repositoryDataDirectory && a.timeout == b.timeout &&
         a.repositoryTimeout == b.repositoryTimeout && a.concurrency == b.concurrency;
}

ConfigSettings read(const TempFolder& folder, const std::string& text) {
  folder.write("zerin.cfg", text);
  ConfigSettings settings;
  readConfigFile(settings, folder.native());
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TempFolder folder;
  const std::string input(reinterpret_cast<const char*>(data), size);

  ConfigSettings once = read(folder, input);
  if (once.repositoryDataDirectory.find_first_of("#\n") != std::string::npos) std::abort();

  ConfigSettings expected = once;
  expected.concurrency = 7;
  expected.repositoryDataDirectory = "a b";
  ConfigSettings again = read(folder, input + "\n" + input +
                                          "\nconcurrency, 7\nrepository_data_directory, \"a b\"\n");
  if (!same(again, expected)) std::abort();
  return 0;
}
