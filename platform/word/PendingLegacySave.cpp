#include "PendingLegacySave.h"

#include "base/AtomicFile.h"
#include "base/Error.h"

#include <utility>

namespace pellucor::word {
namespace {

struct PendingSave {
    std::string target;
    std::optional<LegacyDocument> document; // empty while an opening has it
};

thread_local bool t_holding = false;
thread_local std::optional<PendingSave> t_pending;

// The part is compressed as it is written out, on the other cores, so that a
// large part never exists twice in memory as text.
struct DeflatingWriter : pugi::xml_writer {
    zip::DeflateStream stream;
    void write(const void* data, size_t size) override {
        stream.write(std::string_view(static_cast<const char*>(data), size));
    }
};

zip::Deflated deflatedPart(const XmlPart& part) {
    DeflatingWriter writer;
    part.serialise(writer);
    return writer.stream.finish();
}

void write(PendingSave pending) {
    if (!pending.document)
        throw Error(ErrorNumber::CannotSave,
                    "Could not save " + inQuotes(pending.target) +
                        ": a mark failed before its save, so the document was not converted "
                        "back. The file was left as it was.");
    LegacyDocument& document = *pending.document;
    const ParsedPackage& parts = document.parts;
    const auto replaced = changedParts(*parts.main, parts.settings.get(), parts.storyParts);
    if (replaced.empty()) {
        writeFileAtomically(pending.target, document.originalBytes, document.sourceMode);
        return;
    }
    converter::LegacyConverter converter(document.conversions);
    converter.saveAs(parts.package->rewrite(replaced), document.format, pending.target,
                     document.documentPath, document.sourceMode);
}

} // namespace

void holdLegacySaves() {
    t_pending.reset();
    t_holding = true;
}

bool holdingLegacySaves() {
    return t_holding;
}

void keepPendingSave(const std::string& target, LegacyDocument document) {
    if (t_pending && t_pending->target != target) {
        PendingSave earlier = std::move(*t_pending);
        t_pending.reset();
        write(std::move(earlier));
    }
    t_pending = PendingSave{target, std::move(document)};
}

std::optional<LegacyDocument> takePendingSave(const std::string& path) {
    if (!t_pending || t_pending->target != path)
        return std::nullopt;
    return std::exchange(t_pending->document, std::nullopt);
}

void writePendingSave() {
    t_holding = false;
    if (!t_pending)
        return;
    PendingSave pending = std::move(*t_pending);
    t_pending.reset();
    write(std::move(pending));
}

void dropPendingSave() noexcept {
    t_holding = false;
    t_pending.reset();
}

std::map<std::string, zip::Deflated>
changedParts(const XmlPart& main, const XmlPart* settings,
             const std::vector<std::unique_ptr<XmlPart>>& storyParts) {
    std::map<std::string, zip::Deflated> replaced;
    if (main.changed())
        replaced.emplace(main.name(), deflatedPart(main));
    if (settings && settings->changed())
        replaced.emplace(settings->name(), deflatedPart(*settings));
    for (const auto& part : storyParts)
        if (part->changed())
            replaced.emplace(part->name(), deflatedPart(*part));
    return replaced;
}

} // namespace pellucor::word
