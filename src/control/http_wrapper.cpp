#include "control/http_wrapper.h"

#include "util/numbers.h"
#include "util/trace.h"

#include <climits>
#include <cstring>

namespace {

constexpr int kAttempts = 2;
constexpr size_t kReceiveBufferSize = 4096;

// An answer this long is not one the service gives; receiving stops there
// and the text is judged as it stands.
constexpr size_t kMaxResponseSize = 1 << 20;

constexpr char kLengthHeader[] = "Content-length:";
constexpr size_t kLengthHeaderSize = sizeof kLengthHeader - 1;

std::string formatRequest(const std::string& path, const std::string& host,
                          const std::string& body) {
  return "POST " + path + " HTTP/1.1\r\nHost: " + host +
         "\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The answer's first line and its length header, for the trace.
std::string describeAnswer(const std::string& text) {
  std::string status = text.substr(0, text.find_first_of("\r\n"));
  size_t header = text.find(kLengthHeader);
  std::string length = header == std::string::npos
                           ? "no Content-length line"
                           : "Content-length:" + text.substr(header + kLengthHeaderSize,
                                                             text.find_first_of("\r\n", header) -
                                                                 header - kLengthHeaderSize);
  return "status line \"" + status + "\", " + length;
}

const char* whyRejected(const std::string& text) {
  if (text.empty()) return "closed without an answer";
  if (text.rfind("HTTP/1.1 200 OK", 0) != 0) return "not 200";
  return "no Content-length line";
}

}  // namespace

HttpWrapper::HttpWrapper() : socketHandle(0), connected(false) { netStartup(); }

HttpWrapper::HttpWrapper(const HttpWrapper& other)
    : socketHandle(0), connected(false), hostName(other.hostName) {
  netStartup();
  // A copy works on a duplicate of the connection, so that each object
  // closes only its own socket.
  connected = other.connected && duplicateSocket(other.socketHandle, &socketHandle);
}

HttpWrapper& HttpWrapper::operator=(const HttpWrapper& other) {
  if (this != &other) {
    disconnect();
    hostName = other.hostName;
    connected = other.connected && duplicateSocket(other.socketHandle, &socketHandle);
  }
  return *this;
}

HttpWrapper::~HttpWrapper() {
  disconnect();
  netCleanup();
}

int HttpWrapper::connect(const std::string& host, int port) {
  if (connected) return 0;
  std::uint32_t address = 0;
  if (!resolveFirstIPv4(host, &address)) {
    trace("%s has no IPv4 address", host.c_str());
    return 1;
  }
  hostName = host;
  // Ports above 65535 wrap to their low 16 bits, as the socket address holds.
  std::uint16_t low16 = static_cast<std::uint16_t>(static_cast<unsigned>(port) & 0xFFFFu);
  int result = connectStream(address, low16, &socketHandle);
  connected = result == 0;
  if (result == kTimedOut)
    trace("no connection to %s port %u within %d ms (time-out)", host.c_str(), low16,
          connectTimeoutMilliseconds());
  else if (!connected)
    trace("connection to %s port %u refused", host.c_str(), low16);
  return connected ? 0 : -1;
}

int HttpWrapper::disconnect() {
  if (connected) closeSocket(socketHandle);
  connected = false;
  return 0;
}

int HttpWrapper::httpPost(const std::string& host, int port, const std::string& path,
                          const std::string& body, std::string& response) {
  int result = 1;
  std::string request;
  for (int attempt = 0; attempt < kAttempts && result != 0; ++attempt) {
    trace("HTTP attempt %d of %d: %s port %d", attempt + 1, kAttempts, host.c_str(), port);
    connect(host, port);
    if (!connected) continue;
    if (request.empty()) request = formatRequest(path, hostName, body);
    trace("request: %s", request.substr(0, request.find('\r')).c_str());
    long sent = sendBytes(socketHandle, request.data(), request.size());
    if (sent != static_cast<long>(request.size())) {
      if (sent == kTimedOut)
        trace("the peer took no byte within %d ms (time-out)", sendTimeoutMilliseconds());
      else
        trace("sending the request failed");
      disconnect();
      continue;
    }

    auto receive = [this](char* buffer, size_t size) {
      return receiveBytes(socketHandle, buffer, size);
    };
    std::string received;
    bool timedOut = httpReceiveAnswer(receive, received) == kTimedOut;
    if (traceEnabled() && !received.empty()) trace("answer: %s", describeAnswer(received).c_str());
    if (timedOut) {
      // A wait that ran out spends the attempt, whatever has arrived by then.
      trace("no further byte within %d ms (time-out)", receiveTimeoutMilliseconds());
      response = received;
      result = 1;
    } else {
      result = handleHttpOutput(received, response);
      trace("answer %s", result == 0 ? "accepted" : whyRejected(received));
    }
    if (result != 0) disconnect();
  }
  return result;
}

bool HttpWrapper::isResponseFinished(const std::string& text, int& expected) {
  return httpAnswerFinished(text, expected);
}

int HttpWrapper::handleHttpOutput(const std::string& text, std::string& output) {
  return httpAnswerBody(text, output);
}

long httpReceiveAnswer(const std::function<long(char*, size_t)>& receive, std::string& received) {
  int expected = 0;
  char chunk[kReceiveBufferSize + 1];
  for (;;) {
    long count = receive(chunk, kReceiveBufferSize);
    if (count <= 0) return count;
    chunk[count] = '\0';
    received.append(chunk, std::strlen(chunk));
    if (httpAnswerFinished(received, expected) || received.size() >= kMaxResponseSize) return count;
  }
}

bool httpAnswerFinished(const std::string& text, int& expected) {
  if (expected > 0) return text.size() >= static_cast<size_t>(expected);
  size_t header = text.find(kLengthHeader);
  if (header == std::string::npos) return true;
  size_t lineEnd = text.find('\n', header + kLengthHeaderSize);
  if (lineEnd == std::string::npos) return true;
  int value = parseInteger(text.substr(header + kLengthHeaderSize,
                                       lineEnd - header - kLengthHeaderSize));
  if (value == 0) return true;
  // The body is taken to start two characters after that line's newline.
  long long total = static_cast<long long>(lineEnd) + value + 2;
  if (total > INT_MAX) total = INT_MAX;
  if (total < INT_MIN) total = INT_MIN;
  expected = static_cast<int>(total);
  return static_cast<long long>(text.size()) >= total;
}

int httpAnswerBody(const std::string& text, std::string& output) {
  size_t header = text.rfind("HTTP/1.1 200 OK", 0) == 0 ? text.find(kLengthHeader)
                                                        : std::string::npos;
  size_t lineEnd = header == std::string::npos ? header : text.find('\n', header);
  if (lineEnd == std::string::npos) {
    output = text;
    return 1;
  }
  output = text.substr(lineEnd);
  return 0;
}
