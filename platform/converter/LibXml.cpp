#include "LibXml.h"

#include <dlfcn.h>

namespace pellucor::converter {
namespace {

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

LibXml* load() {
    static LibXml lib;
    void* library = ::dlopen("libxml2.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    // xmlFree is a variable holding the function that frees what it returns.
    auto* freeFunction = static_cast<xmlFreeFunc*>(::dlsym(library, "xmlFree"));
    const bool found = resolve(library, "htmlReadMemory", lib.readMemory) &&
                       resolve(library, "htmlGetMetaEncoding", lib.metaEncoding) &&
                       resolve(library, "htmlDocDumpMemoryFormat", lib.dumpMemory) &&
                       resolve(library, "xmlFreeDoc", lib.freeDoc) &&
                       resolve(library, "xmlFreeNode", lib.freeNode) &&
                       resolve(library, "xmlUnlinkNode", lib.unlinkNode) &&
                       resolve(library, "xmlDocGetRootElement", lib.rootElement) &&
                       resolve(library, "xmlNodeGetContent", lib.content) &&
                       resolve(library, "xmlStrcasecmp", lib.strcasecmp) &&
                       resolve(library, "xmlCheckUTF8", lib.checkUtf8) && freeFunction &&
                       *freeFunction;
    if (!found)
        return nullptr;
    lib.free = *freeFunction;
    return &lib;
}

} // namespace

const LibXml* libXml() {
    static const LibXml* const loaded = load();
    return loaded;
}

} // namespace pellucor::converter
