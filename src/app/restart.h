#pragma once
// Starting the program again after it ends: the stand-in for the batch file that waited a
// second and started the program anew.
#include <string>

namespace braceform {

// Starts `exePath` again about one second from now, in a process of its own that outlives
// this one, with the executable as its only argument. Throws std::runtime_error when the
// program cannot be started (the file is missing or not executable, no process).
void StartAgainLater(const std::string& exePath);

}  // namespace braceform
