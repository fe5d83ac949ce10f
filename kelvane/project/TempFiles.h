#pragma once
#include <cstdio>
#include <string>

namespace kelvane {

// The folder for temporary files: the one named by TMP, else the system's.
std::string TempFolder();

// Eight random characters, each with equal chance a digit or a letter "a".."y".
std::string RandomTempName();

// Creates a new, empty temporary file TempFolder()/<8 random characters><extension>,
// exclusively: an existing file is never followed or overwritten, another name is tried
// instead. Returns its path, or "" when no file could be created.
std::string CreateTempFile(const std::string& extension);

// Temporary files the program removes at exit (or earlier with Forget + delete).
void RegisterExitTempFile(const std::string& path);
void ForgetExitTempFile(const std::string& path);
// Deletes every registered file now; also runs at normal program exit.
void DeleteExitTempFiles();

}  // namespace kelvane
