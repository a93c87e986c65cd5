#pragma once

#include <string>
#include <vector>

// LibreOffice names its pipes (Unix sockets) after the user and places them
// in /tmp, or /var/tmp when /tmp is not writable, whatever TMPDIR says. A
// killed LibreOffice leaves them behind.
namespace pellucor::converter {

// The folder LibreOffice places its pipes in, or "" when it can write to none.
std::string libreOfficePipeFolder();

// The beginning of the names of this user's pipes: "OSL_PIPE_<uid>_". A pipe
// named "<folder name>/uno" after it lies in a folder of ours in the pipe
// folder, which no other user can enter.
std::string pipeNamePrefix();

// The single-instance pipe of a LibreOffice started with the profile at
// profileUrl: its name is made from the MD5 digest of the URL in UTF-16.
std::string singleInstancePipeOf(const std::string& profileUrl);

// The profile URL a LibreOffice command line names with
// -env:UserInstallation=, or "".
std::string profileUrlIn(const std::vector<std::string>& args);

// Removes a pipe left behind: a socket of this user, nothing else.
void removeLeftPipe(const std::string& path);

} // namespace pellucor::converter
