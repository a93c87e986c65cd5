// The quick word boundaries must agree with the full Unicode rules on every
// text they take on; a difference would number words differently from one
// paragraph to the next.
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

TEST(WordBoundaries, QuickPathAgreesWithTheFullRulesOnRandomText) {
    WordSegmenter segmenter;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        for (int k = length(random); k > 0; --k)
            text += kAlphabet[pick(random)];
        ASSERT_EQ(quickStarts(segmenter, text), fullStarts(segmenter, text))
            << "text: [" << text << "]";
    }
}

} // namespace
