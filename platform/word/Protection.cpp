#include "Protection.h"

#include "base/Error.h"
#include "TreeWalk.h"
#include "WordNames.h"

#include <cstring>

namespace pellucor::word {
namespace {

const char* attributeValue(pugi::xml_node node, const char* localName) {
    for (pugi::xml_attribute attr : node.attributes()) {
        const char* colon = std::strrchr(attr.name(), ':');
        if (std::strcmp(colon ? colon + 1 : attr.name(), localName) == 0)
            return attr.value();
    }
    return nullptr;
}

bool isOff(const char* value) {
    return value && (std::strcmp(value, "0") == 0 || std::strcmp(value, "false") == 0 ||
                     std::strcmp(value, "off") == 0);
}

bool hasPasswordHash(pugi::xml_node node) {
    for (const char* name : {"hash", "hashValue"}) {
        const char* value = attributeValue(node, name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

pugi::xml_node Protection::element(const char* localName) const {
    if (!m_settings)
        return {};
    WordNames names(m_settings->root());
    return m_settings->root().child(names.qualified(localName).c_str());
}

int Protection::type() const {
    pugi::xml_node protection = element("documentProtection");
    if (!protection || isOff(attributeValue(protection, "enforcement")))
        return NoProtection;
    const char* edit = attributeValue(protection, "edit");
    if (!edit)
        return NoProtection;
    if (std::strcmp(edit, "trackedChanges") == 0)
        return AllowOnlyRevisions;
    if (std::strcmp(edit, "comments") == 0)
        return AllowOnlyComments;
    if (std::strcmp(edit, "forms") == 0)
        return AllowOnlyFormFields;
    if (std::strcmp(edit, "readOnly") == 0)
        return AllowOnlyReading;
    return NoProtection;
}

void Protection::unprotect(const std::string& documentName) {
    if (type() == NoProtection)
        return;
    pugi::xml_node protection = element("documentProtection");
    if (hasPasswordHash(protection))
        throw Error(ErrorNumber::PasswordIncorrect,
                    "The password is incorrect. " + inQuotes(documentName) +
                        " is protected with a password, which is needed to remove the protection.");
    removeNode(protection);
    m_settings->markChanged();
}

bool Protection::hasPasswordToModify() const {
    pugi::xml_node write = element("writeProtection");
    return write && hasPasswordHash(write);
}

} // namespace pellucor::word
