// File names as the program sees them: files it reads are found without regard to case (as the
// file systems the design files come from do), files it creates keep the name as given.
#pragma once

#include <optional>
#include <string>

namespace lav::paths {

// Resolves each component of path case-insensitively against the file system. Returns the
// existing path, or nullopt when no such file exists. An exact match is preferred.
std::optional<std::string> findCaseInsensitive(const std::string& path);

// Joins a directory and a name with '/'.
std::string join(const std::string& dir, const std::string& name);

// Absolute form of a path (relative to the current directory), without touching the disk.
std::string absolute(const std::string& path);

}  // namespace lav::paths
