// Where the bond-valence parameter table is looked for.
#pragma once

#include <string>
#include <vector>

namespace kevo {

inline constexpr const char* BvsFileName = "bvsparm.cif";

// Candidate paths of the parameter table, in the order they are tried: the
// current directory, the directory of the running program, the installed
// data directory.
std::vector<std::string> BvsFileCandidates(const std::string& executable_dir);

// The first candidate that exists, or empty when there is none.
std::string FindBvsFile(const std::string& executable_dir);

} // namespace kevo
