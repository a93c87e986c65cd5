#pragma once

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/tree.h>

namespace pellucor::converter {

// The HTML parser's functions. libxml2 brings the Unicode library with it,
// whose loading costs more than changing a small document, so it is loaded
// only once a web page is read, not at every start of the program.
struct LibXml {
    decltype(&::htmlReadMemory) readMemory;
    decltype(&::htmlGetMetaEncoding) metaEncoding;
    decltype(&::htmlDocDumpMemoryFormat) dumpMemory;
    decltype(&::xmlFreeDoc) freeDoc;
    decltype(&::xmlFreeNode) freeNode;
    decltype(&::xmlUnlinkNode) unlinkNode;
    decltype(&::xmlDocGetRootElement) rootElement;
    decltype(&::xmlNodeGetContent) content;
    decltype(&::xmlStrcasecmp) strcasecmp;
    decltype(&::xmlCheckUTF8) checkUtf8;
    xmlFreeFunc free;
};

// The loaded library; nullptr when it cannot be loaded.
const LibXml* libXml();

} // namespace pellucor::converter
