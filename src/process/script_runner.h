// Running the installation's scripts, and the environment their children
// inherit: the engine credentials and the tool search path.
#pragma once

#include <string>

// A script's argument text, and the same text as the trace shows it. A
// secret is masked where it is appended: masking it by searching the
// finished text would also hide every path, host or port that happens to
// hold it, and tell the reader what it is.
struct ScriptArguments {
  std::string text;
  std::string shown;

  ScriptArguments& add(const std::string& piece) {
    text += piece;
    shown += piece;
    return *this;
  }
  ScriptArguments& addSecret(const std::string& secret) {
    text += secret;
    shown += "***";
    return *this;
  }
};

// Runs `scriptPath` (in the interpreter's one-word form, see shortPath) with
// `arguments` through the command interpreter and returns its exit code, bit
// for bit; waits without limit. Prints only when the interpreter cannot be
// started at all, and then returns 0.
int runScript(const std::string& scriptPath, const ScriptArguments& arguments, bool showWindow);

// The file name of the installation's script `name` on this platform:
// "name.bat" on Windows, "name.sh" elsewhere.
std::string scriptFileName(const char* name);

// Sets a variable of the tool's environment; an empty value removes it.
void setEnvValue(const std::string& name, const std::string& value);

// "VEXAUSER" and "VEXAPASSWD", kept until the tool ends.
void setEngineCredentials(const std::string& user, const std::string& password);

enum class SearchPathVariant {
  kServiceLaunch,  // anchor: the tool's folder
  kSaltScript,     // anchor: the vexa folder in its short form
};

// Puts the vexa folder and two folders of the installation in front of PATH
// and returns PATH as it was (empty when unset). The caller starts one child,
// then gives the value back with setEnvValue("PATH", ...): withToolSearchPath
// does both.
std::string setToolSearchPath(const std::string& anchor, SearchPathVariant variant);

// Starts one child with the tool search path in front of PATH: `start` runs
// with it, and PATH is set back to what it was, whatever came of `start`.
template <typename Start>
auto withToolSearchPath(const std::string& anchor, SearchPathVariant variant, const Start& start) {
  const std::string previous = setToolSearchPath(anchor, variant);
  auto result = start();
  setEnvValue("PATH", previous);
  return result;
}
