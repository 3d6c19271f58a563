#include "config/folders.h"

#include "config/settings.h"
#include "platform/script_syntax.h"
#include "platform/system.h"
#include "util/text.h"
#include "util/trace.h"

namespace {

std::string join(const std::string& folder, const char* name) {
  return folder + kPathSeparator + name;
}

std::string joinOptional(const std::string& folder, const char* name) {
  return name == nullptr ? folder : join(folder, name);
}

}  // namespace

const std::string kSoPinTemplate = join("templates", "SOPIN.txt");
const std::string kVexaIniTemplate = join("templates", "vexa.ini");
const std::string kValidSoPinTemplate = join("templates", "Valid-SOPIN.txt");

std::string getCommonDataFolder() {
  std::string folder = commonAppDataFolder();
  for (const char* part : {"Kelvane", "Tessaro", "Vorlith", "18.0", "Zerin"})
    folder = join(folder, part);
  return folder;
}

std::string getDataFolder(const std::string& toolFolder) {
  ConfigSettings settings;
  readConfigFile(settings, toolFolder);
  return dataFolderOf(settings);
}

std::string dataFolderOf(const ConfigSettings& settings) {
  if (!settings.repositoryDataDirectory.empty()) {
    trace("data folder %s (repository_data_directory of the settings file)",
          settings.repositoryDataDirectory.c_str());
    return settings.repositoryDataDirectory;
  }
  std::string common = getCommonDataFolder();
  trace("data folder %s (the machine-wide default)", common.c_str());
  return common;
}

std::string getDescriptorPath(const std::string& toolFolder) {
  return descriptorIn(getDataFolder(toolFolder));
}

std::string descriptorIn(const std::string& dataFolder) {
  return join(dataFolder, "vexa_config.xml");
}

std::string getRepositoriesPath(const std::string& toolFolder, const std::string& subfolder) {
  std::string path = join(getDataFolder(toolFolder), "repositories");
  return subfolder.empty() ? path : join(path, subfolder.c_str());
}

std::string getTemplatesPath(const std::string& toolFolder, const char* fileName) {
  return joinOptional(join(toolFolder, "templates"), fileName);
}

std::string getVexaPath(const std::string& toolFolder, const char* fileName) {
  return joinOptional(join(toolFolder, "vexa"), fileName);
}

std::string quotedJoin(const std::string& folder, const std::string& name) {
  std::string base = stripQuotes(folder);
  // An empty folder would turn the name into a path from the root.
  if (base.empty()) base = ".";
  std::string path = base.back() == kPathSeparator ? base + name : base + kPathSeparator + name;
  if (path.find(' ') != std::string::npos && path.front() != '"') path = '"' + path + '"';
  return path;
}

std::string shortPath(const std::string& path) {
  std::string plain = stripQuotes(path);
  std::string shortForm;
  return commandLineWord(shortPathName(plain, &shortForm) ? shortForm : plain);
}

std::string searchPathForm(const std::string& folder) {
  std::string shortForm;
  return shortPathName(folder, &shortForm) ? shortForm : folder;
}

std::string folderOf(const std::string& executable) {
  size_t last = executable.rfind(kPathSeparator);
  return last == std::string::npos ? executable : executable.substr(0, last);
}
