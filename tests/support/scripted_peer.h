// An HTTP peer on 127.0.0.1 for the control-channel tests. It serves one
// connection at a time on a thread of its own, records every request byte
// for byte, and answers connection i as step i of its script says (the last
// step repeats). The destructor returns within about a second, whatever the
// client is doing.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedPeer {
 public:
  struct Step {
    // kSend: the pieces, with a pause between them that a client closing
    // cuts short, then the peer closes.
    // kKeep: the first piece answers every request until the client closes.
    // kStall: the pieces, then the peer holds the connection without a word.
    enum Kind { kSend, kKeep, kStall } kind;
    std::vector<std::string> pieces;
  };
  static Step answer(const std::string& bytes) { return {Step::kSend, {bytes}}; }
  static Step trickle(std::vector<std::string> pieces) { return {Step::kSend, std::move(pieces)}; }
  static Step keepAnswering(const std::string& bytes) { return {Step::kKeep, {bytes}}; }
  static Step stall(const std::string& bytes = "") { return {Step::kStall, {bytes}}; }
  static Step closeAtOnce() { return {Step::kSend, {""}}; }

  explicit ScriptedPeer(std::vector<Step> script);
  ~ScriptedPeer();

  int port() const { return port_; }
  int connections() const { return connections_; }
  std::vector<std::string> requests() const;

 private:
  void serve();
  void follow(std::uint64_t client, const Step& step);
  bool takeRequest(std::uint64_t client);

  std::vector<Step> script_;
  std::uint64_t listener_ = 0;
  int port_ = 0;
  std::atomic<int> connections_{0};
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound a moment ago, then let go).
int unusedPort();
