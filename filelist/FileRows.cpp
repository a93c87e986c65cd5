#include "FileRows.h"

namespace pellucor::Main {

bool ListContains(const filelist::FileRows& list, const std::string& text) {
    for (int row = 1; row <= list.Count(); ++row)
        if (list.Text(row) == text)
            return true;
    return false;
}

} // namespace pellucor::Main
