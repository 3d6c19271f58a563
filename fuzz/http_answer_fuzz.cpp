// Fuzz target: the judging of an HTTP answer as it arrives. The first byte
// sets the size of the pieces the rest arrives in; each piece is taken up to
// its first NUL byte, as the receive loop does. Besides crashes, it aborts
// when an accepted answer is not a "200 OK" one whose accepted part is its
// tail, or a rejected one is not handed back whole.
#include "control/http_wrapper.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 64u + 1;
  const char* stream = reinterpret_cast<const char*>(data + 1);
  std::string received;
  int expected = 0;
  for (std::size_t at = 0; at < size - 1; at += piece) {
    std::string chunk(stream + at, std::min(piece, size - 1 - at));
    received.append(chunk.c_str(), std::strlen(chunk.c_str()));
    if (httpAnswerFinished(received, expected)) break;
  }
  std::string body;
  int result = httpAnswerBody(received, body);
  bool accepted = received.rfind("HTTP/1.1 200 OK", 0) == 0 && body.size() <= received.size() &&
                  received.compare(received.size() - body.size(), body.size(), body) == 0;
  if (result == 0 ? !accepted : result != 1 || body != received) std::abort();
  return 0;
}
