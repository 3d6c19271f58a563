#include "config/descriptor_xml.h"

void traceOutcome(const std::string& name, const RepositoryInstance& i, bool found) {
  if (!found) {
    trace("no instance named \"%s\" with a port", name.c_str());
    return;
  }
  trace("instance \"%s\": host=%s port=%d vexahost=%s vexaport=%d vexalisteninghost=%s path=%s",
        name.c_str(), i.host.c_str(), i.port, i.vexaHost.c_str(), i.vexaPort,
        i.vexaListeningHost.c_str(), i.path.c_str());
}

std::string orLocalhost(const std::string& host) { return host.empty() ? "localhost" : host; }
