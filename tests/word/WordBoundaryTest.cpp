// The quick word boundaries must agree with the full Unicode rules on every
// text they take on; a difference would number words differently from one
// paragraph to the next.
#include "base/Error.h"
#include "base/Icu.h"
#include "word/WordSegmenter.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using pellucor::word::WordSegmenter;

namespace {

std::vector<uint32_t> quickStarts(WordSegmenter& segmenter, const std::string& text) {
    std::vector<uint32_t> starts;
    segmenter.wordStarts(text, starts);
    return starts;
}

std::vector<uint32_t> fullStarts(WordSegmenter& segmenter, const std::string& text) {
    std::vector<uint32_t> starts;
    segmenter.wordStartsByRules(text, starts);
    return starts;
}

// Characters of every class the quick path handles, and a few it hands on.
const std::vector<std::string> kAlphabet = {
    "a",
    "Z",
    "e",
    "7",
    "0",
    ".",
    ",",
    ";",
    ":",
    "'",
    "\"",
    "_",
    " ",
    " ",
    " ",
    "\t",
    "\v",
    "\f",
    "\x01",
    "\x02",
    "\x1E",
    "\x1F",
    "!",
    "?",
    "-",
    "(",
    ")",
    "\xC3\xA9",
    "\xC3\x89",
    "\xC2\xA0",
    "\xE2\x80\x99",
    "\xE2\x80\x98",
    "\xE2\x80\x9C",
    "\xE2\x80\x94",
    "\xE2\x80\xA6",
    "\xE2\x80\xA4",
    "\xC2\xB7",
    "\xCE\xB1",
    "\xD0\x96",
    "\xC2\xAD",
    "\xE2\x80\x8B",
    "\xE2\x80\x83",
    "\xC2\xA9",
    "$",
    "%",
    "@",
    "/",
    "\r",
    "\n",
    "\xCA\xB9",
    "\xC2\xB4",
    "\xC3\x97",
    "\xCC\x80",
    "\xD2\x83",
    "\xCB\x90",
    "\xD5\x9A",
    "\xD6\x89",
    "\xC2\xBA",
    "\xC2\xB5",
    "\xE2\x80\x8D",
    "\xE2\x81\xA0",
    "\xE2\x80\xAF",
};

// Byte sequences that are not UTF-8, and pieces that become UTF-8 only next to
// another: overlong forms, lone continuation bytes, cut-short sequences,
// surrogates, code points past U+10FFFF, bytes that never start a sequence.
// clang-format off
const std::vector<std::string> kMalformed = {
    "\xC0\x80", "\xC1\x81", "\xE0\x80\xAE", "\xF0\x80\x80\xAE", "\x80", "\x99", "\xC3",
    "\xE2\x80", "\xE2", "\xF0\x9F\x98", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
    "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFE", "\xFF"};
// clang-format on

// Malformed text goes into a quarter of the rounds, a piece in four there, so
// that most rounds still exercise the quick path on well-formed text.
TEST(WordBoundaries, QuickPathAgreesWithTheFullRulesOnRandomText) {
    WordSegmenter segmenter;
    const std::string overlongLetter = "ab\xC1\x81"
                                       "cd. x";
    ASSERT_EQ(quickStarts(segmenter, overlongLetter), fullStarts(segmenter, overlongLetter))
        << "the overlong \"A\" in [" << overlongLetter << "] is cut differently";
    std::mt19937 random(20261207);
    std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<size_t> pickMalformed(0, kMalformed.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    std::uniform_int_distribution<int> quarter(0, 3);
    for (int round = 0; round < 200000; ++round) {
        const bool malformed = round % 4 == 0;
        std::string text;
        for (int k = length(random); k > 0; --k)
            text += malformed && quarter(random) == 0 ? kMalformed[pickMalformed(random)]
                                                      : kAlphabet[pick(random)];
        ASSERT_EQ(quickStarts(segmenter, text), fullStarts(segmenter, text))
            << "the quick path and the full rules cut [" << text << "] differently";
    }
    // A paragraph longer than a slice is cut a slice at a time, by the quick
    // path when it reads every character of these, by the full rules else.
    const std::vector<std::string> quickOnes = {"a",
                                                "Z",
                                                "7",
                                                ".",
                                                ",",
                                                ":",
                                                "'",
                                                "_",
                                                " ",
                                                "\t",
                                                "\x01",
                                                "!",
                                                "-",
                                                "\xC3\xA9",
                                                "\xE2\x80\x99",
                                                "\xE2\x80\xA6",
                                                "\xCE\xB1"};
    std::uniform_int_distribution<size_t> pickQuick(0, quickOnes.size() - 1);
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 200000)
            text += round % 2 ? kAlphabet[pick(random)] : quickOnes[pickQuick(random)];
        if (round == 3)
            text += kMalformed[pickMalformed(random)];
        ASSERT_EQ(quickStarts(segmenter, text), fullStarts(segmenter, text))
            << "a text of " << text.size() << " bytes is cut differently";
    }
}

// The full rules, reached through ICU opened on first use, cut what the quick
// path hands on as they always have: dictionary scripts, ideographs, emoji
// sequences, combining marks and malformed UTF-8.
TEST(WordBoundaries, FullRulesCutOtherScriptsAsBefore) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<uint32_t> starts;
    };
    // clang-format off
    const Case cases[] = {
        {"Thai, cut by its dictionary", "\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35\u0E04\u0E23\u0E31\u0E1A. \u0E44\u0E1B",
         {0, 18, 30, 32}},
        {"Japanese", "日本語です。次の文。  終わり", {0, 9, 15, 18, 21, 24, 27, 32, 35}},
        {"Chinese", "中文句子。 下一句", {0, 6, 12, 16, 19}},
        {"Korean", "한국어 문장. 다음", {0, 10, 16, 18}},
        {"Arabic", "مرحبا. عالم", {0, 10, 12}},
        {"Greek with a question mark", "Ελληνικά; Ναι. ok", {0, 16, 18, 24, 26}},
        {"emoji with a skin tone", "wow😀 ok. 👍🏽 yes", {0, 3, 8, 10, 12, 21}},
        {"emoji joined and a flag", "👨‍👩‍👧 family. 🇫🇷 flag", {0, 19, 25, 27, 36}},
        {"combining accents", "e\u0301t\u00E9. Cafe\u0301  ok", {0, 6, 8, 16}},
        {"two combining marks", "a\u0308\u0301b. c", {0, 6, 8}},
        {"an overlong letter", "ab\xC1\x81" "cd. x", {0, 2, 3, 4, 6, 8}},
        {"bytes that start nothing, a cut sequence", "x\xFF\xFE. y \xE2\x80 z", {0, 1, 2, 3, 5, 7, 10}},
        {"a surrogate and past U+10FFFF", "\xED\xA0\x80 s. \xF4\x90\x80\x80", {0, 1, 2, 4, 5, 7, 8, 9, 10}},
    };
    // clang-format on
    WordSegmenter segmenter;
    for (const Case& c : cases) {
        EXPECT_EQ(fullStarts(segmenter, c.text), c.starts) << c.what;
        EXPECT_EQ(quickStarts(segmenter, c.text), c.starts) << c.what;
    }
}

TEST(WordBoundaries, AUnicodeLibraryThatCannotBeLoadedIsNamedInPlainWords) {
    struct Case {
        const char* library;
        const char* says;
    };
    const Case cases[] = {
        {"libpellucor-missing.so.1", "libpellucor-missing.so.1"},
        {"libz.so.1", "the function u_errorName"},
    };
    for (const Case& c : cases) {
        try {
            pellucor::icu::load(c.library);
            ADD_FAILURE() << c.library << " was loaded";
        } catch (const pellucor::Error& error) {
            EXPECT_NE(error.description().find(std::string("The Unicode library ") + c.library +
                                               " could not be loaded ("),
                      std::string::npos)
                << error.description();
            EXPECT_NE(error.description().find(c.says), std::string::npos) << error.description();
        }
    }
}

} // namespace
