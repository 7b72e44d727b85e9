// Where the data files the program ships (the bond-valence parameter table,
// the default bond-length table) are looked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kevo {

inline constexpr const char* BvsFileName = "bvsparm.cif";
inline constexpr const char* DefaultBondLengthsFileName = "default-bond-lengths.txt";

// Candidate paths of the data file name, in the order they are tried: the
// current directory, the directory of the running program, then the data
// directory of an installed tree, found from the program's directory
// (<bin>/../share/kevo21), so that an installed tree still finds its tables
// after it has been moved. Without a program directory only the current
// directory is tried.
std::vector<std::string> DataFileCandidates(const std::string& name,
                                            const std::string& executable_dir);

// The first candidate that exists, or empty when there is none.
std::string FindDataFile(const std::string& name, const std::string& executable_dir);

// The places that were tried, for the line after the message that says the
// file was not found: "Looked for /home/ana/bvsparm.cif, /opt/k/bin/bvsparm.cif
// and /opt/k/share/kevo21/bvsparm.cif." (every path absolute).
std::string PlacesTriedText(const std::string& name, const std::string& executable_dir);

// The same for the bond-valence parameter table.
std::vector<std::string> BvsFileCandidates(const std::string& executable_dir);
std::string FindBvsFile(const std::string& executable_dir);

// The whole content of a regular file, byte for byte; nothing when the path
// is empty, names no regular file, or cannot be read to its end.
std::optional<std::string> ReadRegularFile(const std::string& path);

} // namespace kevo
