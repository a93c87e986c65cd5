#include "PendingLegacySave.h"

namespace pellucor::word {
namespace {

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

} // namespace

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
