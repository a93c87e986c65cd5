#pragma once

#include <string>

// What the program leaves behind when it is killed before it can clean up:
// the process groups of the programs it started (LibreOffice) and its private
// folders. A small shell process, started on first need in a process group of
// its own, is told of each as it comes and goes. When the program ends,
// however it ends, the shell's input closes; it then kills the groups it
// still knows of and removes the paths. It ignores the terminal's signals and
// SIGTERM, so that it outlives the program it watches.
namespace pellucor::leftovers {

void addGroup(int group);
void dropGroup(int group);

// An absolute path without line breaks; removed with everything below it.
void addPath(const std::string& path);
void dropPath(const std::string& path);

// The watching shell's process id, 0 when none runs.
int watcher();

} // namespace pellucor::leftovers
