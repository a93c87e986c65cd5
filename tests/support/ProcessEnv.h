#pragma once

// What the programs a test starts find around them: environment variables
// set for a scope, and stand-in scripts.

#include "support/TempDir.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace pellucor::test {

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name.c_str()))
            m_old = old;
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Writes an executable shell script.
inline void writeScript(const std::string& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

} // namespace pellucor::test
