#include "support/scripted_peer.h"

#include "listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

// Short waits, so that a client that stays connected without a word never
// keeps the destructor long.
constexpr int kPollMilliseconds = 20;
constexpr int kRequestMilliseconds = 1000;
// Long enough that a busy client has read a piece before the next one
// comes, short of the receive time-outs the tests set.
constexpr int kPiecePauseMilliseconds = 300;
constexpr auto kHoldLimit = std::chrono::seconds(10);

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Step> script) : script_(std::move(script)) {
  peer::startup();
  std::uint16_t bound = 0;
  if (!peer::listenOn("127.0.0.1", 0, &listener_, &bound)) {
    ADD_FAILURE() << "cannot listen on 127.0.0.1";
    return;
  }
  port_ = bound;
  thread_ = std::thread([this] { serve(); });
}

ScriptedPeer::~ScriptedPeer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (port_ != 0) peer::closeHandle(listener_);
  peer::cleanup();
}

std::vector<std::string> ScriptedPeer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void ScriptedPeer::serve() {
  while (!stopping_) {
    peer::Handle client = 0;
    if (!peer::acceptClient(listener_, &client, kPollMilliseconds)) continue;
    // Counted before anything is answered, so that a client holding its
    // answer finds its connection counted.
    size_t index = static_cast<size_t>(connections_++);
    follow(client, script_[std::min(index, script_.size() - 1)]);
    peer::closeHandle(client);
  }
}

void ScriptedPeer::follow(std::uint64_t client, const Step& step) {
  if (!takeRequest(client)) return;
  if (step.kind == Step::kKeep) {
    while (peer::sendAll(client, step.pieces[0]) && !stopping_ && takeRequest(client)) {
    }
    return;
  }
  char ignored[256];
  for (size_t i = 0; i < step.pieces.size() && !stopping_; ++i) {
    // A client that closed after a piece wants no more of them.
    if (i > 0 && peer::receiveSome(client, ignored, sizeof ignored, kPiecePauseMilliseconds) == 0)
      return;
    if (!peer::sendAll(client, step.pieces[i])) return;
  }
  auto limit = std::chrono::steady_clock::now() + kHoldLimit;
  while (step.kind == Step::kStall && !stopping_ && std::chrono::steady_clock::now() < limit &&
         peer::receiveSome(client, ignored, sizeof ignored, kPollMilliseconds) != 0) {
  }
}

bool ScriptedPeer::takeRequest(std::uint64_t client) {
  std::string request = peer::receiveRequest(client, kRequestMilliseconds);
  if (request.empty()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(request);
  return true;
}

int unusedPort() {
  peer::startup();
  peer::Handle listener = 0;
  std::uint16_t port = 0;
  if (peer::listenOn("127.0.0.1", 0, &listener, &port)) peer::closeHandle(listener);
  peer::cleanup();
  return port;
}
