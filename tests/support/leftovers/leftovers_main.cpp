// Run after every other test: a run of the suite, passing or failing, must
// leave nothing behind. Ends the processes whose program lies in a test's
// temporary folder (an engine that the tool under test started where no row
// looked for it), removes the folders, and fails naming each, so that a
// later run or a person's -check never meets an engine that is not theirs.
#include "support/tool_run.h"

#include <filesystem>
#include <iostream>

int main() {
  namespace fs = std::filesystem;
  bool clean = true;
  std::error_code error;
  for (fs::directory_iterator entry(fs::temp_directory_path(), error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string folder = entry->path().string();
    if (entry->path().filename().string().rfind("zerinctl-test-", 0) != 0) continue;
    std::cout << "left behind: " << folder << ", with " << endProcessesUnder(folder)
              << " process(es) running from it\n";
    fs::remove_all(entry->path(), error);
    clean = false;
  }
  return clean ? 0 : 1;
}
