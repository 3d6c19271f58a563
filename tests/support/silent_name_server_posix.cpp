#include "support/silent_name_server.h"

#include "platform/process.h"
#include "platform/script_syntax.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

SilentNameServer::SilentNameServer(const std::string& folder) {
  // Port 53 of 127.53.0.1 takes a query and never answers, where a closed
  // port would refuse it at once. Test runs at the same time share it.
  socket = geteuid() == 0 ? ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) : -1;
  const int reuse = 1;
  sockaddr_in address{AF_INET, htons(53), {htonl(0x7F350001)}, {}};
  if (socket < 0 || setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
      bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    unavailable = "port 53 of 127.53.0.1 cannot be held here (it takes root)";
    return;
  }
  const std::string resolv = folder + "/resolv.conf", hosts = folder + "/nsswitch.conf";
  std::ofstream(resolv) << "nameserver 127.53.0.1\noptions timeout:1 attempts:1\n";
  std::ofstream(hosts) << "hosts: files dns\n";
  launcher = folder + "/silent-resolver.sh";
  std::ofstream(launcher) << "#!/bin/sh\nexec unshare --mount --propagation private /bin/sh -c "
                             "'mount --bind \"$0\" /etc/resolv.conf && mount --bind \"$1\" "
                             "/etc/nsswitch.conf && shift && exec \"$@\"' "
                          << commandLineWord(resolv) << " " << commandLineWord(hosts) << " \"$@\"\n";
  std::filesystem::permissions(launcher, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  int status = -1;
  std::string error;
  if (!runThroughInterpreter(commandLineWord(launcher) + " true 2>/dev/null", false, &status,
                             &error) ||
      status != 0)
    unavailable = "unshare --mount cannot give a process its own /etc/resolv.conf here";
}

SilentNameServer::~SilentNameServer() {
  if (socket >= 0) close(socket);
}
