// Writes the engine's start record; the format is described in start_record.h.
#include "start_record.h"

#include "engine_system.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kRecordName[] = "vexa.started";
const char kPartialName[] = "vexa.started.tmp";
const char* const kRecordedVariables[] = {"VEXAUSER", "VEXAPASSWD", "PATH"};

std::string recordText(int argc, char** argv) {
  std::string folder;
  currentFolder(&folder);  // an unknown folder is recorded as empty
  std::string text = "cwd=" + folder + "\n";
  for (int i = 1; i < argc; ++i) text += "arg" + std::to_string(i) + "=" + argv[i] + "\n";
  text += "stdin=" + standardInputKind() + "\n";
  for (const char* name : kRecordedVariables) {
    const char* value = std::getenv(name);
    if (value != nullptr) text += std::string(name) + "=" + value + "\n";
  }
  return text;
}

}  // namespace

bool recordStart(int argc, char** argv) {
  std::string text = recordText(argc, argv);
  // Binary, so that the lines end in a line feed on every platform.
  std::FILE* file = std::fopen(kPartialName, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0) written = false;
  if (!written || !replaceFile(kPartialName, kRecordName)) {
    std::remove(kPartialName);
    return false;
  }
  return true;
}
