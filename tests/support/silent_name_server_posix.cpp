#include "support/silent_name_server.h"

#include "platform/script_syntax.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

SilentNameServer::SilentNameServer(const std::string& folder) : folder_(folder) {
  // Port 53 of 127.53.0.1 takes a query and never answers, where a closed
  // port would refuse it at once. Test runs at the same time share it.
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const int reuse = 1;
  sockaddr_in address{AF_INET, htons(53), {htonl(0x7F350001)}, {}};
  if (socket_ < 0 || setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
      bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    unavailable = "port 53 of 127.53.0.1 cannot be held here (it takes root)";
  else if (std::system(("/bin/sh " + commandLineWord(ZERINCTL_SILENT_RESOLVER) + " " +
                        commandLineWord(folder) + " true 2>/dev/null")
                           .c_str()) != 0)
    unavailable = "unshare --mount cannot give a process its own /etc/resolv.conf here";
}

SilentNameServer::~SilentNameServer() {
  if (socket_ >= 0) close(socket_);
}

double SilentNameServer::timedRun(std::vector<std::string> words, std::string* printed) const {
  words.insert(words.begin(), {ZERINCTL_SILENT_RESOLVER, folder_});
  const auto start = std::chrono::steady_clock::now();
  *printed = runProcess("/bin/sh", words).output;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
