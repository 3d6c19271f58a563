// Stands in for what an installation script does, so that the command tests
// see exactly what reached the script. Every test script is one line that
// hands its name and its arguments to this program:
//
//   recorder NAME ARG...
//
// It appends "NAME [ARG] [ARG]..." to calls.log beside itself, writes its
// working folder and the variables the tool hands its children to NAME.env,
// and ends with the code in NAME.code (0 when there is none; when the file
// has a second line, only calls with that argument end so). When NAME.writes
// exists, its first line is an argument number N and the rest is written to
// the file that argument N names, as a listing script writes its list, or to
// standard output for 0, as a script says what it did.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const fs::path home = fs::absolute(fs::u8path(argv[0])).parent_path();
  const std::string name = argv[1];

  std::ofstream calls(home / "calls.log", std::ios::app | std::ios::binary);
  calls << name;
  for (int i = 2; i < argc; ++i) calls << " [" << argv[i] << "]";
  calls << "\n";

  std::ofstream environment(home / (name + ".env"), std::ios::binary);
  environment << "cwd=" << fs::current_path().string() << "\n";
  for (const char* variable : {"VEXAUSER", "VEXAPASSWD", "QUARRANODENAME", "PATH"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr) environment << variable << "=" << value << "\n";
  }

  std::ifstream writes(home / (name + ".writes"), std::ios::binary);
  std::string target;
  if (std::getline(writes, target)) {
    int index = std::atoi(target.c_str()) + 1;
    std::ostringstream content;
    content << writes.rdbuf();
    if (index > 1 && index < argc) std::ofstream(argv[index], std::ios::binary) << content.str();
    if (index == 1) std::cout << content.str();
  }

  std::ifstream code(home / (name + ".code"));
  int exitCode = 0;
  std::string only;
  code >> exitCode >> std::ws;
  if (std::getline(code, only) && std::find(argv + 2, argv + argc, only) == argv + argc) return 0;
  return exitCode;
}
