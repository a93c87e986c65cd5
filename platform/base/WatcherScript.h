#pragma once

namespace pellucor::leftovers {

// The shell script of the watcher of leftovers (watcher.sh), built in.
const char* watcherScript();

} // namespace pellucor::leftovers
