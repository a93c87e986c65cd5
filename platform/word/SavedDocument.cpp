#include "SavedDocument.h"

namespace pellucor::word {
namespace {

struct KeptDocument {
    FileIdentity identity;
    ParsedPackage parts;
};

thread_local std::optional<KeptDocument> t_kept;

} // namespace

void keepSavedDocument(const FileIdentity& saved, ParsedPackage parts) noexcept {
    t_kept.reset();
    t_kept.emplace(KeptDocument{saved, std::move(parts)});
}

std::optional<ParsedPackage> takeSavedDocument(const std::string& path) {
    if (!t_kept)
        return std::nullopt;
    std::optional<KeptDocument> kept = std::move(t_kept);
    t_kept.reset();
    if (!fileHolds(path, kept->identity, kept->parts.package->bytes()))
        return std::nullopt;
    return std::move(kept->parts);
}

void forgetSavedDocument() noexcept {
    t_kept.reset();
}

} // namespace pellucor::word
