// Where the installation and the repository data lie, and the small path
// operations the commands share. Every operation returns a new string and
// prints nothing; where the system has no answer a usable path comes back
// all the same.
#pragma once

#include <string>

struct ConfigSettings;

extern const std::string kSoPinTemplate;       // templates<sep>SOPIN.txt
extern const std::string kVexaIniTemplate;     // templates<sep>vexa.ini
extern const std::string kValidSoPinTemplate;  // templates<sep>Valid-SOPIN.txt

// The machine-wide application data folder and the service's tail below it.
std::string getCommonDataFolder();

// The configured repository data directory, or else the common data folder.
// Reads the settings file of `toolFolder` on every call.
std::string getDataFolder(const std::string& toolFolder);
// The same for settings read already.
std::string dataFolderOf(const ConfigSettings& settings);

std::string getDescriptorPath(const std::string& toolFolder);
// The descriptor in the data folder `dataFolder`.
std::string descriptorIn(const std::string& dataFolder);
std::string getRepositoriesPath(const std::string& toolFolder, const std::string& subfolder);
std::string getTemplatesPath(const std::string& toolFolder, const char* fileName = nullptr);
std::string getVexaPath(const std::string& toolFolder, const char* fileName = nullptr);

// folder + separator + name, double-quoted when it holds a space.
std::string quotedJoin(const std::string& folder, const std::string& name);

// `path` (quotes removed) as one word on the interpreter's command line: its
// short form where the system has one, else the path itself, written as
// commandLineWord writes a path.
std::string shortPath(const std::string& path);

// The form in which an existing folder goes into PATH for a child: the short
// form where the system has one, else the folder as it stands. PATH is no
// command line: quotes or escapes would stay in it.
std::string searchPathForm(const std::string& folder);

// The folder of the executable at `executable`: the text before its last
// separator, or the whole text when it has none.
std::string folderOf(const std::string& executable);
