#include "PrivateProfile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pellucor::converter {
namespace {

struct Setting {
    const char* path;
    const char* name;
    const char* value;
};

const Setting kSettings[] = {
    {"/org.openoffice.Office.Common/Security/Scripting", "BlockUntrustedRefererLinks", "true"},
    {"/org.openoffice.Office.Common/Security/Scripting", "DisableMacrosExecution", "true"},
    {"/org.openoffice.Office.Common/Security/Scripting", "MacroSecurityLevel", "3"},
    {"/org.openoffice.Office.Writer/Content/Update", "Link", "0"}, // never
    {"/org.openoffice.Office.Writer/Content/Update", "Field", "false"},
    {"/org.openoffice.Office.Writer/Content/Update", "Chart", "false"},
};

struct Provider {
    const char* node;
    const char* service;
    const char* scheme;
};

// LibreOffice's own local providers. Those of http, https, WebDAV, FTP,
// CMIS and of the desktop's virtual file systems are left out: a URL of
// theirs then cannot be opened at all.
const Provider kProviders[] = {
    {"Provider1", "com.sun.star.ucb.HierarchyContentProvider", "vnd.sun.star.hier"},
    {"Provider2", "com.sun.star.ucb.FileContentProvider", "file"},
    {"Provider5", "com.sun.star.help.XMLHelp", "vnd.sun.star.help"},
    {"Provider8", "com.sun.star.ucb.PackageContentProvider", "vnd.sun.star.pkg"},
    {"Provider9", "com.sun.star.ucb.ExpandContentProvider", "vnd.sun.star.expand"},
    {"Provider10", "com.sun.star.ucb.TransientDocumentsContentProvider", "vnd.sun.star.tdoc"},
    {"Provider11", "com.sun.star.ucb.PackageContentProvider", "vnd.sun.star.zip"},
    {"Provider14", "com.sun.star.ucb.ExtensionContentProvider", "vnd.sun.star.extension"},
    {"Provider16", "com.sun.star.ucb.ImageContentProvider", "vnd.libreoffice.image"},
    {"Provider900", "", "private"},
};

constexpr const char* kProvidersPath =
    "/org.openoffice.ucb.Configuration/ContentProviders/"
    "org.openoffice.ucb.Configuration:ContentProvidersDataPrimaryKeys['Local']/SecondaryKeys";

std::string providersItem() {
    std::string item = std::string("<item oor:path=\"") + kProvidersPath +
                       "\"><node oor:name=\"Office\" oor:op=\"replace\">"
                       "<node oor:name=\"ProviderData\">\n";
    for (const Provider& provider : kProviders)
        item += std::string(" <node oor:name=\"") + provider.node +
                "\" oor:op=\"replace\"><prop oor:name=\"ServiceName\"><value>" + provider.service +
                "</value></prop><prop oor:name=\"URLTemplate\"><value>" + provider.scheme +
                "</value></prop><prop oor:name=\"Arguments\"><value/></prop></node>\n";
    return item + "</node></node></item>\n";
}

std::string registryModifications() {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    for (const Setting& setting : kSettings)
        xml += std::string("<item oor:path=\"") + setting.path + "\"><prop oor:name=\"" +
               setting.name + "\" oor:op=\"fuse\"><value>" + setting.value +
               "</value></prop></item>\n";
    return xml + providersItem() + "</oor:items>\n";
}

} // namespace

bool writePrivateProfile(const std::string& profileFolder) {
    const std::filesystem::path user = std::filesystem::path(profileFolder) / "user";
    std::error_code failed;
    std::filesystem::create_directories(user, failed);
    if (failed) {
        errno = failed.value();
        return false;
    }
    std::ofstream out(user / "registrymodifications.xcu", std::ios::trunc);
    return static_cast<bool>(out << registryModifications() << std::flush);
}

} // namespace pellucor::converter
