#include "util/log_file.h"

#include "platform/code_page.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::mutex logLock;
std::FILE* log = nullptr;
std::string logPath, lastLine, partLine;
long logSize = 0, logBytes = kLogBytes;
int logFiles = kLogFiles;

std::filesystem::path pathOf(int generation) {
  std::string path = logPath + (generation == 0 ? "" : "." + std::to_string(generation));
  return narrowPath(path);
}

// NAME.log.4 goes, each older one moves up, NAME.log starts anew. Renames
// that fail (a reader holding the file on Windows) leave the log growing
// rather than losing what is written.
void rotate() {
  std::fclose(log);
  std::error_code ignored;
  std::filesystem::remove(pathOf(logFiles - 1), ignored);
  for (int generation = logFiles - 2; generation >= 0; --generation)
    std::filesystem::rename(pathOf(generation), pathOf(generation + 1), ignored);
  log = std::fopen(logPath.c_str(), "ab");
  logSize = 0;
}

void keepLastLine(const std::string& text) {
  partLine += text;
  size_t end = partLine.find_last_of('\n');
  if (end == std::string::npos) return;
  size_t start = partLine.find_last_of('\n', end == 0 ? 0 : end - 1);
  start = start == std::string::npos || start == end ? 0 : start + 1;
  lastLine = partLine.substr(start, end - start);
  if (!lastLine.empty() && lastLine.back() == '\r') lastLine.pop_back();
  partLine.erase(0, end + 1);
}

}  // namespace

bool openLog(const std::string& path, long bytes, int files) {
  std::lock_guard<std::mutex> hold(logLock);
  std::error_code ignored;
  std::filesystem::create_directories(narrowPath(path).parent_path(), ignored);
  if (log != nullptr) std::fclose(log);
  logPath = path;
  logBytes = bytes;
  logFiles = files > 1 ? files : 2;
  log = std::fopen(path.c_str(), "ab");
  if (log == nullptr) return false;
  std::fseek(log, 0, SEEK_END);
  logSize = std::ftell(log);
  return true;
}

bool logOpen() {
  std::lock_guard<std::mutex> hold(logLock);
  return log != nullptr;
}

bool writeLog(const std::string& text) {
  std::lock_guard<std::mutex> hold(logLock);
  if (log == nullptr) return false;
  keepLastLine(text);
  if (logSize > 0 && logSize + static_cast<long>(text.size()) > logBytes) rotate();
  if (log == nullptr) return false;
  size_t written = std::fwrite(text.data(), 1, text.size(), log);
  std::fflush(log);
  logSize += static_cast<long>(written);
  return written == text.size();
}

std::string lastLogLine() {
  std::lock_guard<std::mutex> hold(logLock);
  return lastLine;
}

void closeLog() {
  std::lock_guard<std::mutex> hold(logLock);
  if (log != nullptr) std::fclose(log);
  log = nullptr;
}
