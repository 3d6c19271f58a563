// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes. Its paths as strings are UTF-8, which
// std::filesystem takes only through u8path on Windows.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // The path of `relative` below the folder, as the tool spells paths.
  std::string native(const std::string& relative = "") const;

  // Writes `content` byte for byte, creating the folders on the way.
  void write(const std::string& relative, const std::string& content) const;
  std::string read(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, byte for byte ("" when it cannot be read).
std::string readFile(const std::filesystem::path& file);
inline std::string readFile(const std::string& file) {
  return readFile(std::filesystem::u8path(file));
}

// The text with each CR LF turned into LF, as Windows writes line ends in
// text mode.
std::string lineFeedsOnly(const std::string& text);
