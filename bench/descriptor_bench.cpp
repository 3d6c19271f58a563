// One descriptor lookup or removal in a process of its own, so that a timing
// of this program covers what a command pays for the descriptor: process
// start, XML library start/stop, and one parse (plus the rewrite on removal).
//
//   descriptor_bench TOOL_FOLDER NAME lookup|remove
//
// TOOL_FOLDER holds zerin.cfg naming the data folder with vexa_config.xml.
// Exits 0 when the instance was found (and, on removal, removed), 1 when not,
// 2 on bad usage; prints the port found so that a run can be checked.
#include "config/descriptor_rewriter.h"
#include "config/folders.h"

#include <xercesc/util/PlatformUtils.hpp>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[3], "lookup") != 0 && std::strcmp(argv[3], "remove") != 0)) {
    std::fprintf(stderr, "usage: descriptor_bench TOOL_FOLDER NAME lookup|remove\n");
    return 2;
  }
  const bool lookingUp = std::strcmp(argv[3], "lookup") == 0;

  xercesc::XMLPlatformUtils::Initialize();
  RepositoryInstance instance;
  std::string reason;
  bool found = lookingUp ? findRepositoryInstance(argv[1], argv[2], instance)
                         : removeRepositoryInstance(getDescriptorPath(argv[1]), argv[2], instance,
                                                    reason) == Removal::kRemoved;
  xercesc::XMLPlatformUtils::Terminate();

  if (found) std::printf("%d\n", instance.port);
  return found ? 0 : 1;
}
