// A minimal HTTP/1.1 client over one blocking TCP connection: one
// form-encoded POST, an answer read until complete by its "Content-length:"
// header, and success only for the status line "HTTP/1.1 200 OK".
//
// Exported from the executable. Each object pairs its own network start-up
// (in every constructor) with its own clean-up (in the destructor) and
// closes only the socket it owns: a copy works on a duplicate of the
// original's connection.
#pragma once

#include "platform/export.h"
#include "platform/net.h"

#include <cstddef>
#include <functional>
#include <string>

class ZERINCTL_EXPORT HttpWrapper {
 public:
  HttpWrapper();
  HttpWrapper(const HttpWrapper& other);
  HttpWrapper& operator=(const HttpWrapper& other);
  virtual ~HttpWrapper();

  // 0 when connected (at once if already connected, whatever the host),
  // 1 when the host has no IPv4 address, -1 when the connection failed.
  int connect(const std::string& host, int port);

  // Closes the connection, if any. Always 0.
  int disconnect();

  // POSTs `body` to `path` in at most two attempts. 0 on success, with
  // `response` holding the answer from the end of its "Content-length:" line
  // on; 1 on failure, with `response` holding the last answer received (left
  // as it was when nothing was sent). The connection stays open on success.
  int httpPost(const std::string& host, int port, const std::string& path, const std::string& body,
               std::string& response);

 private:
  bool isResponseFinished(const std::string& text, int& expected);
  int handleHttpOutput(const std::string& text, std::string& output);

  SocketHandle socketHandle;
  bool connected;
  std::string hostName;
};

// The receiving and the judging of an answer, apart from any socket; the
// class's members of the same purpose do nothing else.
//
// Receives one answer into `received` through `receive`, which fills at
// most the given number of bytes as receiveBytes does. Each piece counts up
// to its first NUL byte. Stops when the answer is complete, when it is far
// longer than any the service gives, or when `receive` gives no byte.
// Returns the last count: positive when the answer ended, else what
// `receive` reported (0 for a closed connection, kTimedOut, -1).
long httpReceiveAnswer(const std::function<long(char*, std::size_t)>& receive,
                       std::string& received);

// Whether `text`, the answer received so far, is complete. `expected` starts
// at 0 and carries the total length, once known, from one call to the next.
bool httpAnswerFinished(const std::string& text, int& expected);
// 0 with `output` holding the answer from the end of its "Content-length:"
// line on, when it is a "HTTP/1.1 200 OK" one that has that line; else 1
// with `output` holding the whole answer.
int httpAnswerBody(const std::string& text, std::string& output);
