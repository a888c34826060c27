// Whether two file names lead to one file, for the checks that keep an output from
// replacing an input.
#pragma once

#include <string>

// Both names lead to one existing file (through links too).
bool same_file(const std::string& a, const std::string& b);

// The two names lead to one file: the same file through links, or the same resolved
// path for files not made yet. Devices and pipes are never one file of this kind
// (writing /dev/null twice is harmless).
bool names_one_file(const std::string& a, const std::string& b);
