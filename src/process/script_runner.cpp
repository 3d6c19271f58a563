#include "process/script_runner.h"

#include "platform/environment.h"
#include "platform/process.h"
#include "platform/system.h"
#include "util/output.h"
#include "util/trace.h"

int runScript(const std::string& scriptPath, const ScriptArguments& arguments, bool showWindow) {
  // An interpreter that cannot start leaves this starting value, which the
  // database scripts' callers read as a failure.
  int exitCode = 0;
  std::string error;
  if (traceEnabled()) {
    std::string path;
    getEnvironment("PATH", &path);
    trace("run through %s: %s %s", kScriptInterpreter.program, scriptPath.c_str(),
          arguments.shown.c_str());
    trace("  with PATH=%s", path.c_str());
  }
  if (!runThroughInterpreter(scriptPath + " " + arguments.text, showWindow, &exitCode, &error)) {
    printOut("[error] cannot start the command interpreter %s: %s\n", kScriptInterpreter.program,
             error.empty() ? "<unknown>" : error.c_str());
  }
  trace("exit code %d", exitCode);
  return exitCode;
}

std::string scriptFileName(const char* name) {
  return name + std::string(kScriptInterpreter.scriptSuffix);
}

void setEnvValue(const std::string& name, const std::string& value) { setEnvironment(name, value); }

void setEngineCredentials(const std::string& user, const std::string& password) {
  setEnvValue("VEXAUSER", user);
  setEnvValue("VEXAPASSWD", password);
}

std::string setToolSearchPath(const std::string& anchor, SearchPathVariant variant) {
  std::string previous;
  getEnvironment("PATH", &previous);

  const std::string up = std::string(1, kPathSeparator) + "..";
  const char list = kScriptInterpreter.pathListSeparator;
  // Both variants name the vexa folder, the "bin" folder three levels above
  // the tool and the folder three levels above the tool; the salt scripts'
  // anchor is the vexa folder itself, one level further down.
  std::string vexa, installation;
  if (variant == SearchPathVariant::kServiceLaunch) {
    vexa = anchor + kPathSeparator + "vexa";
    installation = anchor + up + up + up;
  } else {
    vexa = anchor;
    installation = anchor + up + up + up + up;
  }
  setEnvValue("PATH", vexa + list + installation + kPathSeparator + "bin" + list + installation +
                          list + previous);
  return previous;
}
