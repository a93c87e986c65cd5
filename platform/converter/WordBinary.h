#pragma once

#include <string>

namespace pellucor::converter {

// What the header of a Word 97-2003 (or Word 6/95) binary document says,
// read from its compound file before anything is converted.
struct WordBinaryFacts {
    enum class Kind {
        Document,
        NotWord, // a compound file without a WordDocument stream (a sheet, a slide deck…)
        Damaged, // the compound file's structure points outside the file
    };
    Kind kind = Kind::Damaged;
    bool encrypted = false;  // fEncrypted: protected by a password to open
    bool isTemplate = false; // fDot: a .dot
};

WordBinaryFacts readWordBinaryFacts(const std::string& bytes);

} // namespace pellucor::converter
