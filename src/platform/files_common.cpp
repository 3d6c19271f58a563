#include "platform/files.h"

#include "platform/code_page.h"
#include "platform/system.h"

#include <filesystem>

std::string replacementPath(const std::string& path) {
  return path + "." + std::to_string(currentProcessId()) + ".tmp";
}

int removeStaleReplacements(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path file = narrowPath(path);
  const std::string prefix = file.filename().string() + ".";
  int removed = 0;
  std::error_code error, ignored;
  for (fs::directory_iterator entry(file.parent_path(), error), end; !error && entry != end;
       entry.increment(error)) {
    std::string name = entry->path().filename().string();
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0)
      continue;
    std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.find_first_not_of("0123456789") == std::string::npos &&
        entry->is_regular_file(ignored) && fs::remove(entry->path(), ignored))
      ++removed;
  }
  return removed;
}
