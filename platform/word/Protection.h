#pragma once

#include "XmlPart.h"

namespace pellucor::word {

// Protection types as the object model numbers them.
enum ProtectionKind : int {
    NoProtection = -1,
    AllowOnlyRevisions = 0,
    AllowOnlyComments = 1,
    AllowOnlyFormFields = 2,
    AllowOnlyReading = 3,
};

// Editing restrictions and the password to modify, read from the settings part.
class Protection {
public:
    explicit Protection(XmlPart* settings) : m_settings(settings) {}

    int type() const;
    // Removes a restriction that carries no password; throws Error when it has
    // one, leaving everything as it was.
    void unprotect(const std::string& documentName);
    // A password to modify makes the file read-only: it cannot be saved over.
    bool hasPasswordToModify() const;

private:
    pugi::xml_node element(const char* localName) const;

    XmlPart* m_settings; // null when the document has no settings part
};

} // namespace pellucor::word
