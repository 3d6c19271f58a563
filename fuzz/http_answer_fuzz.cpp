// Fuzz target: the receive loop of the HTTP client and the judging of what
// it received. The first byte sets the size of the pieces in which the rest
// arrives, as from a peer that then closes the connection. Besides crashes,
// it aborts when
// - the loop asks for more after a complete answer, or stops before one
//   without the peer having closed: whether an answer is complete must
//   depend on its text alone, not on the pieces it came in (the inputs stay
//   far below the length at which the loop gives up);
// - what was received holds a NUL byte or more than the peer sent;
// - an accepted answer is not a "200 OK" one whose accepted part is its
//   tail, or a rejected one is not handed back whole.
#include "control/http_wrapper.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool completeByItsText(const std::string& text) {
  int expected = 0;
  return httpAnswerFinished(text, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 64u + 1;
  const char* stream = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = size - 1;

  std::string received;
  std::size_t sent = 0;
  long last = httpReceiveAnswer(
      [&](char* buffer, std::size_t capacity) {
        if (sent > 0 && completeByItsText(received)) std::abort();
        std::size_t count = std::min({piece, capacity, length - sent});
        std::memcpy(buffer, stream + sent, count);
        sent += count;
        return static_cast<long>(count);
      },
      received);
  if (last > 0 && !completeByItsText(received)) std::abort();
  if (received.find('\0') != std::string::npos || received.size() > sent) std::abort();

  std::string body;
  int result = httpAnswerBody(received, body);
  bool accepted = received.rfind("HTTP/1.1 200 OK", 0) == 0 && body.size() <= received.size() &&
                  received.compare(received.size() - body.size(), body.size(), body) == 0;
  if (result == 0 ? !accepted : result != 1 || body != received) std::abort();
  return 0;
}
