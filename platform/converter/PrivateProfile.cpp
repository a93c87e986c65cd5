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

// What a profile made for the LibreOffice in one program folder notes, as
// LibreOffice notes it at its first start: without the build, LibreOffice
// clears the profile's extension cache and starts itself a second time;
// without the version last run, it takes itself for upgraded and runs its
// graphics self-tests (most of its start-up time) at every start.
struct Installation {
    std::string buildId; // "" when unknown
    std::string version; // "7.4"; "" when unknown
};

// The value of the first line "key=value" in file, without blanks at its end.
std::string valueIn(const fs::path& file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1, line.find_last_not_of(" \t\r") - key.size());
    return {};
}

Installation installationOf(const std::string& soffice) {
    std::error_code failed;
    const fs::path program = fs::canonical(soffice, failed).parent_path();
    if (failed || soffice.empty())
        return {};
    const std::string product = valueIn(program / "bootstraprc", "ProductKey"); // "Name 7.4"
    std::string version = product.substr(product.rfind(' ') + 1);
    if (version.empty() || version.find_first_not_of("0123456789.") != std::string::npos)
        version.clear(); // goes into the profile's XML as it is
    return {valueIn(program / "versionrc", "buildid"), version};
}

std::string item(const char* path, const char* name, const std::string& value) {
    return std::string("<item oor:path=\"") + path + "\"><prop oor:name=\"" + name +
           "\" oor:op=\"fuse\"><value>" + value + "</value></prop></item>\n";
}

std::string registryModifications(const Installation& installation) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    for (const Setting& setting : kSettings)
        xml += item(setting.path, setting.name, setting.value);
    if (!installation.version.empty())
        xml += item("/org.openoffice.Setup/Product", "ooSetupLastVersion", installation.version);
    return xml + providersItem() + "</oor:items>\n";
}

bool writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    return static_cast<bool>(out << text << std::flush);
}

} // namespace

bool writePrivateProfile(const std::string& profileFolder, const std::string& soffice) {
    const fs::path user = fs::path(profileFolder) / "user";
    const Installation installation = installationOf(soffice);
    std::error_code failed;
    fs::create_directories(user / "extensions", failed);
    if (failed) {
        errno = failed.value();
        return false;
    }
    return writeText(user / "registrymodifications.xcu", registryModifications(installation)) &&
           (installation.buildId.empty() ||
            writeText(user / "extensions" / "buildid", installation.buildId));
}

} // namespace pellucor::converter
