#include "config/password.h"

#include "platform/environment.h"
#include "util/output.h"
#include "util/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kFileVariable[] = "ZERINCTL_PASSWORD_FILE";
constexpr char kVariable[] = "ZERINCTL_PASSWORD";

// One character at a time, through the stream's own buffer: on standard
// input the delete's confirmation follows the password line, and it must
// still be there for the getchar that reads it. False at the end of the
// input before any character.
bool readFirstLine(std::FILE* in, std::string* line) {
  int c = std::getc(in);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(in)) line->push_back(static_cast<char>(c));
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

bool noPassword(const std::string& why) {
  printOut("No password for -: %s. It is the first line of the file named by %s, else the value "
           "of %s, else the first line of standard input\n",
           why.c_str(), kFileVariable, kVariable);
  return false;
}

}  // namespace

bool standsForPassword(const char* argument) { return std::strcmp(argument, "-") == 0; }

bool readPassword(std::string* password) {
  password->clear();
  std::string path;
  if (getEnvironment(kFileVariable, &path)) {
    const std::string named = std::string(kFileVariable) + " names " + path;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
      return noPassword(named + ", which cannot be read: " + std::strerror(errno));
    bool found = readFirstLine(file, password);
    std::fclose(file);
    if (!found) return noPassword(named + ", which is empty");
    trace("password from the file %s", path.c_str());
    return true;
  }
  if (getEnvironment(kVariable, password)) {
    trace("password from %s", kVariable);
    return true;
  }
  if (!readFirstLine(stdin, password))
    return noPassword("neither variable is set and standard input is at its end");
  trace("password from standard input");
  return true;
}
