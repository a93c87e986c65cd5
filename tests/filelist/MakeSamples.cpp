// pellucor-make-samples OUT_DIR: writes the sample documents that come with
// the program (resources/Samples). Their text is our own; each shows one
// part of the job.
#include "support/DocxBuilder.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace pellucor::test;

constexpr const char* kStyles =
    R"(<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val="24"/><w:szCs w:val="24"/></w:rPr>)"
    R"(</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="160" w:line="276" )"
    R"(w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>)";

std::string heading(const std::string& text) {
    return p({r(text, R"(<w:b/><w:sz w:val="32"/><w:szCs w:val="32"/>)")});
}

std::string border(const char* side) {
    return std::string("<w:") + side + R"( w:val="single" w:sz="4" w:space="4" w:color="auto"/>)";
}

std::string cell(const std::string& text) {
    return R"(<w:tc><w:tcPr><w:tcW w:w="4500" w:type="dxa"/></w:tcPr>)" + textP(text) + "</w:tc>";
}

std::string table(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string out = R"(<w:tbl><w:tblPr><w:tblW w:w="9000" w:type="dxa"/><w:tblBorders>)";
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
        out += border(side);
    out += R"(</w:tblBorders></w:tblPr><w:tblGrid><w:gridCol w:w="4500"/>)"
           R"(<w:gridCol w:w="4500"/></w:tblGrid>)";
    for (const auto& [left, right] : rows)
        out += "<w:tr>" + cell(left) + cell(right) + "</w:tr>";
    return out + "</w:tbl>";
}

std::string framed(const std::string& text) {
    std::string bordered = "<w:pBdr>";
    for (const char* side : {"top", "left", "bottom", "right"})
        bordered += border(side);
    bordered += "</w:pBdr>";
    return p({r(text)}, R"(<w:framePr w:w="4200" w:hSpace="180" w:wrap="around" )"
                        R"(w:vAnchor="text" w:hAnchor="margin" w:xAlign="right" w:y="1"/>)" +
                            bordered);
}

DocxBuilder document(const std::string& body) {
    DocxBuilder builder(body + R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar )"
                               R"(w:top="1440" w:right="1440" w:bottom="1440" w:left="1440" )"
                               R"(w:header="708" w:footer="708" w:gutter="0"/></w:sectPr>)");
    builder.styles(kStyles);
    return builder;
}

void writeSentenceSpacing(const std::string& folder) {
    document(heading("Sentence spacing") +
             textP("This paragraph has one space after each sentence. Is that what your style "
                   "guide asks for? Some editors want two! Pellucor adds the second space or "
                   "takes it away again.") +
             textP("This paragraph has two spaces after each sentence.  The habit comes from "
                   "the typewriter.  Does the page look more open to you?  Try removing the "
                   "extra spaces!") +
             textP("Mixed spacing creeps in when several people edit one file. This sentence "
                   "ends with two spaces.  The next one ends with one. The last one ends the "
                   "paragraph.") +
             heading("Abbreviations") +
             textP("Titles such as Mr. Hale, Mrs. Okonjo and Dr. Varga keep their single space, "
                   "because the word before the full stop begins with a capital letter.") +
             textP("Note: the colon is in the list of marks but not ticked, so the space after "
                   "it stays as it is unless you tick it."))
        .write(folder + "/1 Sentence spacing.docx");
}

void writeTableAndFrame(const std::string& folder) {
    document(heading("Tables and frames") +
             framed("This paragraph sits in a frame. Pellucor removes the frame first, so the "
                    "text flows with the rest of the page afterwards. Its words stay as they "
                    "are, apart from the spacing.") +
             textP("Text inside tables is changed like any other text. Each cell is read on its "
                   "own.") +
             table({{"Planting", "Sow the beans in May. Water them twice a week."},
                    {"Harvest", "Pick the pods while they are young. Are they tender? Then "
                                "they are ready!"}}) +
             textP("The sentences below the table are changed as well. Compare the result "
                   "with this original."))
        .write(folder + "/2 Table and frame.docx");
}

constexpr const char* kProtectionStart =
    R"(<w:documentProtection w:edit="readOnly" w:enforcement="1")";

void writeProtected(const std::string& folder) {
    document(heading("Protected without a password") +
             textP("This document may only be read, but no password guards it. Pellucor lifts "
                   "the protection, changes the spacing and saves the result without the "
                   "protection. The original stays protected.") +
             textP("Use it to check that such documents are handled. Nothing else is needed."))
        .settings(std::string(kProtectionStart) + "/>")
        .write(folder + "/3 Protected without password.docx");

    document(heading("Protected with a password") +
             textP("This document may only be read, and a password guards it. Pellucor cannot "
                   "lift the protection. It tells you so and leaves the document as it is.") +
             textP("Remove the protection in your word processor first. Then add the document "
                   "to the list again."))
        .settings(std::string(kProtectionStart) +
                  R"( w:cryptProviderType="rsaAES" w:cryptAlgorithmClass="hash")"
                  R"( w:cryptAlgorithmType="typeAny" w:cryptAlgorithmSid="14")"
                  R"( w:cryptSpinCount="100000")"
                  R"( w:hash="elx9PHOR0zLCiga10I/eF6hA3kxTiKhn/4xrpU5B9YGMeu2kVEQHuDHtfCFSuP8s)"
                  R"(G6HP9H4PCdKtePuXvbD1zQ==")"
                  R"( w:salt="Oc2pPuLxyGMTj3hd5sz2KA=="/>)")
        .write(folder + "/4 Protected with password.docx");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellucor-make-samples OUT_DIR\n");
        return 2;
    }
    try {
        writeSentenceSpacing(argv[1]);
        writeTableAndFrame(argv[1]);
        writeProtected(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pellucor-make-samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
