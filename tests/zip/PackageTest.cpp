// Reading and rewriting packages. Fixtures come from libzip, an independent
// writer; malformed ones are its packages with bytes changed afterwards.

#include "zip/Package.h"

#include "base/Error.h"
#include "zip/ZipDirectory.h"

#include <functional>
#include <gtest/gtest.h>
#include <zip.h>

namespace pellucor::zip {
namespace {

struct Entry {
    std::string name;
    std::string data;
    bool stored = false;
    std::string comment;
};

const std::string kMain = "word/document.xml";
const std::string kApp = "docProps/app.xml";
const std::string kComment = "Kept as written: caf\xC3\xA9";

// Names occur once in a local header and once in the directory, nowhere else.
const std::vector<Entry>& entries() {
    static const std::vector<Entry> list = {
        {"[Content_Types].xml", "<Types>" + std::string(500, ' ') + "</Types>", false, ""},
        {kMain, "<w:t>It ends." + std::string(2000, ' ') + "Next.</w:t>", false, "main \xE9"},
        {kApp, "<Properties>stored as is</Properties>", true, ""},
    };
    return list;
}

// `fillers` empty entries come first: a reader that stops counting early
// misses the named ones.
std::string writeLibzipPackage(size_t fillers) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (size_t i = 0; i < fillers; ++i) {
        const std::string name = "filler/" + std::to_string(i);
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, nullptr, 0, 0), 0);
    }
    for (const Entry& entry : entries()) {
        zip_source_t* data = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
        const auto index =
            static_cast<zip_uint64_t>(zip_file_add(archive, entry.name.c_str(), data, 0));
        zip_set_file_compression(archive, index, entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        zip_file_set_comment(archive, index, entry.comment.data(),
                             static_cast<zip_uint16_t>(entry.comment.size()), ZIP_FL_ENC_RAW);
    }
    zip_set_archive_comment(archive, kComment.data(), static_cast<zip_uint16_t>(kComment.size()));
    EXPECT_EQ(zip_close(archive), 0) << "libzip could not write the fixture package";
    zip_stat_t stat;
    zip_source_open(buffer);
    zip_source_stat(buffer, &stat);
    std::string bytes(stat.size, '\0');
    zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

std::string libzipPackage(size_t fillers = 0) {
    static std::map<size_t, std::string> made;
    auto found = made.find(fillers);
    if (found == made.end())
        found = made.emplace(fillers, writeLibzipPackage(fillers)).first;
    return found->second;
}

// So many entries that their count needs the large-archive end record.
constexpr size_t kManyFillers = 100000 - 3;

// The package as libzip reads it with its consistency checks, or its error.
struct LibzipView {
    std::string error;
    std::string comment;
    std::vector<Entry> entries;
};

LibzipView libzipRead(const std::string& bytes) {
    LibzipView view;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        view.error = zip_error_strerror(&error);
        zip_source_free(source);
        return view;
    }
    int length = 0;
    if (const char* comment = zip_get_archive_comment(archive, &length, ZIP_FL_ENC_RAW))
        view.comment.assign(comment, static_cast<size_t>(length));
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(zip_get_num_entries(archive, 0)); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        Entry entry{stat.name, std::string(stat.size, '\0'), false, ""};
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        if (!file ||
            zip_fread(file, entry.data.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            view.error = "libzip cannot read the entry " + entry.name;
        if (file)
            zip_fclose(file);
        zip_uint32_t commentLength = 0;
        if (const char* comment = zip_file_get_comment(archive, i, &commentLength, ZIP_FL_ENC_RAW))
            entry.comment.assign(comment, commentLength);
        view.entries.push_back(entry);
    }
    zip_discard(archive);
    return view;
}

size_t localAt(const std::string& bytes, const std::string& name) {
    return bytes.find(name) - 30;
}
size_t centralAt(const std::string& bytes, const std::string& name) {
    return bytes.rfind(name) - 46;
}
size_t endAt(const std::string& bytes) {
    return bytes.rfind("PK\x05\x06");
}
size_t largeEndAt(const std::string& bytes) {
    return bytes.rfind("PK\x06\x06");
}
void add32(std::string& bytes, size_t at, uint32_t delta) {
    zipPut32(bytes, at, zipRead32(bytes, at) + delta);
}

// Gives the last entry a data descriptor, as streaming writers leave them.
void addDescriptor(std::string& bytes, bool withSignature) {
    const size_t central = centralAt(bytes, kApp);
    std::string descriptor(16, '\0');
    zipPut32(descriptor, 0, kZipDescriptorSignature);
    for (size_t field = 4; field < 16; field += 4)
        zipPut32(descriptor, field, zipRead32(bytes, central + 12 + field));
    if (!withSignature)
        descriptor.erase(0, 4);
    bytes[localAt(bytes, kApp) + 6] |= kZipDataDescriptorFlag;
    bytes[central + 8] |= kZipDataDescriptorFlag;
    bytes.insert(zipRead32(bytes, endAt(bytes) + 16), descriptor);
    add32(bytes, endAt(bytes) + 16, static_cast<uint32_t>(descriptor.size()));
}

using Change = std::function<void(std::string&)>;

struct ReadCase {
    const char* name;
    Change damage;
    const char* problem; // nullptr: every part reads back as written
    std::string part;    // the part the message names
    size_t fillers = 0;
};

void PrintTo(const ReadCase& row, std::ostream* out) {
    *out << row.name;
}

class ReadingAPackage : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingAPackage, ReadsEveryEntryOrRefusesNamingTheFileAndTheProblem) {
    std::string bytes = libzipPackage(GetParam().fillers);
    GetParam().damage(bytes);
    std::string message;
    std::vector<std::string> parts;
    try {
        auto package = Package::fromBytes(bytes, "report.docx");
        for (const Entry& entry : entries())
            parts.push_back(package->read(entry.name));
    } catch (const Error& error) {
        message = error.what();
    }
    if (!GetParam().problem) {
        ASSERT_EQ(message, "");
        for (size_t i = 0; i < parts.size(); ++i)
            EXPECT_TRUE(parts[i] == entries()[i].data) << entries()[i].name << " reads other bytes";
        return;
    }
    EXPECT_NE(message.find("\"report.docx\""), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().problem), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().part), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, ReadingAPackage,
    ::testing::Values(
        ReadCase{"AsWritten", [](std::string&) {}, nullptr, ""},
        ReadCase{"WithJunkAfterTheEndRecordAsOtherReadersDo",
                 [](std::string& b) { b += "junk\r\n"; }, nullptr, ""},
        ReadCase{"WithLocalSizesAndMethodThatDisagreeReadByTheDirectory",
                 [](std::string& b) {
                     const size_t local = localAt(b, kMain);
                     zipPut16(b, local + 8, 0);
                     zipPut32(b, local + 18, 0);
                     zipPut32(b, local + 22, 7);
                 },
                 nullptr, ""},
        ReadCase{"CutShort", [](std::string& b) { b.resize(endAt(b) + 10); },
                 "directory is missing", ""},
        ReadCase{"WithADirectoryOutsideTheFile",
                 [](std::string& b) { zipPut32(b, endAt(b) + 16, 0x7FFFFFFF); },
                 "directory lies outside the file", ""},
        ReadCase{"WithAPrefixAndOffsetsThatCountIt",
                 [](std::string& b) {
                     for (const std::string& name : {entries()[0].name, kMain, kApp})
                         add32(b, centralAt(b, name) + 42, 64);
                     add32(b, endAt(b) + 16, 64);
                     b.insert(0, 64, '#');
                 },
                 nullptr, ""},
        ReadCase{"WithMoreEntriesCountedThanRecorded",
                 [](std::string& b) {
                     zipPut16(b, endAt(b) + 8, 4);
                     zipPut16(b, endAt(b) + 10, 4);
                 },
                 "holds 3 records but its end record counts 4", ""},
        ReadCase{"WithOneRecordMoreThanCounted",
                 [](std::string& b) {
                     zipPut16(b, endAt(b) + 8, 2);
                     zipPut16(b, endAt(b) + 10, 2);
                 },
                 "holds 3 records but its end record counts 2", ""},
        ReadCase{"WithARecordBetweenTheDirectoryAndTheEndRecord",
                 [](std::string& b) {
                     zipPut16(b, endAt(b) + 8, 2);
                     zipPut16(b, endAt(b) + 10, 2);
                     zipPut32(b, endAt(b) + 12, centralAt(b, kApp) - zipRead32(b, endAt(b) + 16));
                 },
                 "does not end where its end record begins", ""},
        ReadCase{"WithBytesBetweenTheDirectoryAndTheEndRecord",
                 [](std::string& b) { b.insert(endAt(b), "junk"); },
                 "does not end where its end record begins", ""},
        ReadCase{"WithADirectorySizeOneByteShort",
                 [](std::string& b) { add32(b, endAt(b) + 12, -1u); },
                 "does not end where its end record begins", ""},
        ReadCase{"WithOtherCountsOnThisDiskAndInAll",
                 [](std::string& b) { zipPut16(b, endAt(b) + 8, 2); },
                 "counts 2 records on this disk but 3 in all", ""},
        ReadCase{"WithAHundredThousandEntries", [](std::string&) {}, nullptr, "", kManyFillers},
        ReadCase{"WithAHundredThousandEntriesCountedInSixteenBits",
                 [](std::string& b) {
                     const size_t large = largeEndAt(b);
                     const uint32_t size = zipRead32(b, large + 40);
                     const uint32_t offset = zipRead32(b, large + 48);
                     b.erase(large, endAt(b) - large);
                     zipPut16(b, endAt(b) + 8, 100000 & 0xFFFF);
                     zipPut16(b, endAt(b) + 10, 100000 & 0xFFFF);
                     zipPut32(b, endAt(b) + 12, size);
                     zipPut32(b, endAt(b) + 16, offset);
                 },
                 "holds 100000 records but its end record counts 34464", "", kManyFillers},
        ReadCase{"WithALargeArchiveCountOfOneMore",
                 [](std::string& b) {
                     zipPut32(b, largeEndAt(b) + 24, 100001);
                     zipPut32(b, largeEndAt(b) + 32, 100001);
                 },
                 "holds 100000 records but its end record counts 100001", "", kManyFillers},
        ReadCase{"WithAWrappedCountBesideTheLargeArchiveOne",
                 [](std::string& b) {
                     zipPut16(b, endAt(b) + 8, 100000 & 0xFFFF);
                     zipPut16(b, endAt(b) + 10, 100000 & 0xFFFF);
                 },
                 "its end record and its large-archive end record disagree", "", kManyFillers},
        ReadCase{"WithALocalHeaderNamingAnotherEntry",
                 [](std::string& b) { b[localAt(b, kMain) + 30] = 'W'; }, "local header", kMain},
        ReadCase{"WithAnEntryPointingIntoData",
                 [](std::string& b) { add32(b, centralAt(b, kMain) + 42, 60); }, "local header",
                 kMain},
        ReadCase{"WithAnEntryPointingAtAnotherEntry",
                 [](std::string& b) { zipPut32(b, centralAt(b, kApp) + 42, localAt(b, kMain)); },
                 "local header", kApp},
        ReadCase{"WithAnEntryPointingPastTheData",
                 [](std::string& b) {
                     zipPut32(b, centralAt(b, kMain) + 42, zipRead32(b, endAt(b) + 16));
                 },
                 "lies outside the file", kMain},
        ReadCase{"WithACompressedSizeRunningIntoTheDirectory",
                 [](std::string& b) { add32(b, centralAt(b, kApp) + 20, 1000); },
                 "lies outside the file", kApp},
        ReadCase{"WithNoBytesRecordedForAnEntryThatInflates",
                 [](std::string& b) { zipPut32(b, centralAt(b, kMain) + 24, 0); },
                 "longer than its recorded size", kMain},
        ReadCase{"WithAChangedByte",
                 [](std::string& b) { b[localAt(b, kApp) + 30 + kApp.size()] ^= 1; },
                 "checksum does not match", kApp},
        ReadCase{"WithALargeArchiveLocatorPointingAtNothing",
                 [](std::string& b) {
                     std::string locator(20, '\0');
                     zipPut32(locator, 0, 0x07064b50);
                     b.insert(endAt(b), locator);
                 },
                 "large-archive end record is missing", ""},
        ReadCase{"WithALargeArchiveEntryCount",
                 [](std::string& b) {
                     zipPut16(b, endAt(b) + 8, 0xFFFF);
                     zipPut16(b, endAt(b) + 10, 0xFFFF);
                 },
                 "holds 3 records but its end record counts 65535", ""},
        ReadCase{"WithALargeArchiveEntrySize",
                 [](std::string& b) { zipPut32(b, centralAt(b, kMain) + 24, 0xFFFFFFFF); },
                 "large-archive format", kMain}),
    [](const auto& row) { return std::string(row.param.name); });

struct RewriteCase {
    const char* name;
    Change prepare;
    const char* replace; // the name rewrite is given; nullptr: nothing replaced
    std::string entry;   // the entry that name stands for
    size_t fillers = 0;
};

void PrintTo(const RewriteCase& row, std::ostream* out) {
    *out << row.name;
}

class RewritingAPackage : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewritingAPackage, CopiesUntouchedEntriesByteForByteAndLibzipReadsTheResult) {
    std::string original = libzipPackage(GetParam().fillers);
    GetParam().prepare(original);
    const std::string newText = "<w:t>Replaced." + std::string(3000, ' ') + "</w:t>";
    std::map<std::string, std::string> replaced;
    if (GetParam().replace)
        replaced.emplace(GetParam().replace, newText);
    const auto package = Package::fromBytes(original, "report.docx");
    const std::string out = package->rewrite(replaced);
    std::map<std::string, Deflated> compressed;
    for (const auto& [name, data] : replaced)
        compressed.emplace(name, deflateRaw(data));
    EXPECT_TRUE(package->rewrite(compressed) == out)
        << "parts compressed beforehand are written otherwise than parts given as text";
    if (replaced.empty()) {
        EXPECT_TRUE(out == original) << "a rewrite with nothing replaced changed the bytes";
        return;
    }

    ZipDirectory before;
    ZipDirectory after;
    std::string reason;
    ASSERT_TRUE(readZipDirectory(original, before, reason)) << reason;
    ASSERT_TRUE(readZipDirectory(out, after, reason)) << "the rewritten package: " << reason;
    ASSERT_EQ(after.entries.size(), before.entries.size());
    // An entry's stored bytes run up to the next entry or the directory.
    auto stored = [](const std::string& zip, const ZipDirectory& directory, size_t i) {
        size_t end = i + 1 < directory.entries.size() ? directory.entries[i + 1].localAt
                                                      : directory.directoryAt;
        return zip.substr(directory.entries[i].localAt, end - directory.entries[i].localAt);
    };
    for (size_t i = 0; i < before.entries.size(); ++i) {
        const ZipEntry& was = before.entries[i];
        EXPECT_EQ(after.entries[i].name, was.name);
        if (was.name == GetParam().entry)
            continue;
        EXPECT_TRUE(stored(original, before, i) == stored(out, after, i))
            << was.name << ": its local header, data or descriptor changed";
        std::string oldRecord = original.substr(was.recordAt, was.recordSize);
        std::string newRecord = out.substr(after.entries[i].recordAt, after.entries[i].recordSize);
        zipPut32(oldRecord, 42, 0);
        zipPut32(newRecord, 42, 0);
        EXPECT_TRUE(oldRecord == newRecord) << was.name << ": its central record changed";
    }

    const LibzipView view = libzipRead(out);
    ASSERT_EQ(view.error, "") << "libzip cannot read the rewritten package";
    EXPECT_EQ(view.comment, kComment);
    ASSERT_EQ(view.entries.size(), GetParam().fillers + entries().size());
    for (size_t i = 0; i < entries().size(); ++i) {
        const Entry& expected = entries()[i];
        const Entry& read = view.entries[GetParam().fillers + i];
        EXPECT_EQ(read.name, expected.name);
        EXPECT_EQ(read.comment, expected.comment) << expected.name;
        EXPECT_TRUE(read.data == (expected.name == GetParam().entry ? newText : expected.data))
            << expected.name << " reads other bytes in libzip";
    }
    EXPECT_EQ(out.size(), endAt(out) + 22 + kComment.size()) << "bytes follow the end record";
}

INSTANTIATE_TEST_SUITE_P(
    Packages, RewritingAPackage,
    ::testing::Values(
        RewriteCase{"WithNothingReplaced", [](std::string&) {}, nullptr, ""},
        RewriteCase{"WithTheFirstEntryReplaced", [](std::string&) {}, "[Content_Types].xml",
                    "[Content_Types].xml"},
        RewriteCase{"WithANameInOtherCaseAndALeadingSlash", [](std::string&) {},
                    "/WORD/Document.xml", kMain},
        RewriteCase{"WithJunkAfterTheEndRecord", [](std::string& b) { b += "junk\r\n"; },
                    "docProps/app.xml", kApp},
        RewriteCase{"BeforeASignedDataDescriptor", [](std::string& b) { addDescriptor(b, true); },
                    "word/document.xml", kMain},
        RewriteCase{"BeforeAnUnsignedDataDescriptor",
                    [](std::string& b) { addDescriptor(b, false); }, "word/document.xml", kMain},
        RewriteCase{"WithAHundredThousandEntries", [](std::string&) {}, "word/document.xml", kMain,
                    kManyFillers}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RewritingAPackageWithoutTheNamedEntry, IsRefusedNamingTheFileAndTheName) {
    const auto package = Package::fromBytes(libzipPackage(), "report.docx");
    try {
        package->rewrite({{"word/missing.xml", "<x/>"}});
        FAIL() << "a replacement for a part the package lacks was dropped without an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), ErrorNumber::CannotSave);
        EXPECT_NE(std::string(error.what()).find("\"report.docx\""), std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("word/missing.xml"), std::string::npos)
            << error.what();
    }
}

} // namespace
} // namespace pellucor::zip
