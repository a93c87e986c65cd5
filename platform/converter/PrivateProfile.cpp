#include "PrivateProfile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pellucor::converter {
namespace {

namespace fs = std::filesystem;

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

// The build of the LibreOffice that soffice starts, from the versionrc beside
// it; "" when there is none. A fresh profile without it makes LibreOffice
// clear the profile's extension cache and start itself a second time.
std::string buildIdOf(const std::string& soffice) {
    std::error_code failed;
    const fs::path program = fs::canonical(soffice, failed).parent_path();
    if (failed || soffice.empty())
        return {};
    std::ifstream versions(program / "versionrc");
    const std::string key = "buildid=";
    for (std::string line; std::getline(versions, line);)
        if (line.compare(0, key.size(), key) == 0)
            return line.substr(key.size(), line.find_last_not_of(" \t\r") + 1 - key.size());
    return {};
}

bool writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    return static_cast<bool>(out << text << std::flush);
}

} // namespace

bool writePrivateProfile(const std::string& profileFolder, const std::string& soffice) {
    const fs::path user = fs::path(profileFolder) / "user";
    const std::string buildId = buildIdOf(soffice);
    std::error_code failed;
    fs::create_directories(user / "extensions", failed);
    if (failed) {
        errno = failed.value();
        return false;
    }
    return writeText(user / "registrymodifications.xcu", registryModifications()) &&
           (buildId.empty() || writeText(user / "extensions" / "buildid", buildId));
}

} // namespace pellucor::converter
