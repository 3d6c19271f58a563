#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    // Every test's files lie below a name that no legacy code page holds.
    path_ = fs::temp_directory_path() / fs::u8path("zerinctl-test-顧客-" + std::to_string(stamp) +
                                                   "-" + std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(path_, error)) break;
  }
}

// On Windows an engine that was just told to stop holds its program and
// folder a moment longer, and a folder that stays would make the next
// folders' short names ambiguous.
TempFolder::~TempFolder() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::error_code error;
    fs::remove_all(path_, error);
    if (!error) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string TempFolder::native(const std::string& relative) const {
  fs::path full = relative.empty() ? path_ : path_ / fs::u8path(relative).make_preferred();
  return full.make_preferred().string();
}

void TempFolder::write(const std::string& relative, const std::string& content) const {
  fs::path full = path_ / fs::u8path(relative).make_preferred();
  fs::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << content;
}

std::string TempFolder::read(const std::string& relative) const {
  return readFile(path_ / fs::u8path(relative).make_preferred());
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string lineFeedsOnly(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') result += text[i];
  return result;
}
