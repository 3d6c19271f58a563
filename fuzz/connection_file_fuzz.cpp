// Fuzz target: the connection file reader, on a real file holding the input,
// as the commands read it. Besides crashes, it aborts when the reader breaks
// its word: a failure leaves the string as it was, a success yields at most
// one buffer's worth of one line.
#include "config/connection_file.h"
#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TempFolder folder;
  folder.write("connection.txt", std::string(reinterpret_cast<const char*>(data), size));
  std::string connection = "untouched";
  int result = readConnectionString(folder.native("connection.txt"), connection);
  if (result == 0 ? connection.size() >= 1024 || connection.find('\n') != std::string::npos
                  : result != -1 || connection != "untouched")
    std::abort();
  return 0;
}
