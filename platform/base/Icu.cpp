#include "Icu.h"

#include "Error.h"

#include <dlfcn.h>
#include <string>
#include <unicode/uvernum.h>

// The ICU headers rename every function to carry the version
// (ubrk_open becomes ubrk_open_72): this gives the renamed name as text.
#define PELLUCOR_ICU_SYMBOL(function) PELLUCOR_ICU_TEXT(function)
#define PELLUCOR_ICU_TEXT(name) #name

namespace pellucor::icu {
namespace {

constexpr const char* kLibrary = "libicuuc.so." U_ICU_VERSION_SHORT;

[[noreturn]] void fail(const char* libraryFile, const std::string& what) {
    throw Error(ErrorNumber::CommandFailed, std::string("The Unicode library ") + libraryFile +
                                                " could not be loaded (" + what + ").");
}

template <typename Pointer>
void find(void* library, const char* libraryFile, const char* name, Pointer& pointer) {
    void* address = ::dlsym(library, name);
    if (!address)
        fail(libraryFile, std::string("the function ") + name + " is missing");
    pointer = reinterpret_cast<Pointer>(address);
}

} // namespace

Functions load(const char* libraryFile) {
    void* library = ::dlopen(libraryFile, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        fail(libraryFile, why ? why : "it cannot be opened");
    }
    Functions f{};
    try {
#define PELLUCOR_ICU_FIND(member, function)                                                        \
    find(library, libraryFile, PELLUCOR_ICU_SYMBOL(function), f.member)
        PELLUCOR_ICU_FIND(errorName, u_errorName);
        PELLUCOR_ICU_FIND(toUpper, u_toupper);
        PELLUCOR_ICU_FIND(stringFromUtf8, u_strFromUTF8);
        PELLUCOR_ICU_FIND(stringToUtf8, u_strToUTF8);
        PELLUCOR_ICU_FIND(breakOpen, ubrk_open);
        PELLUCOR_ICU_FIND(breakClose, ubrk_close);
        PELLUCOR_ICU_FIND(breakSetText, ubrk_setUText);
        PELLUCOR_ICU_FIND(breakFirst, ubrk_first);
        PELLUCOR_ICU_FIND(breakNext, ubrk_next);
        PELLUCOR_ICU_FIND(textOpenUtf8, utext_openUTF8);
        PELLUCOR_ICU_FIND(textClose, utext_close);
        PELLUCOR_ICU_FIND(converterOpen, ucnv_open);
        PELLUCOR_ICU_FIND(converterClose, ucnv_close);
        PELLUCOR_ICU_FIND(converterSetToUnicodeCallback, ucnv_setToUCallBack);
        PELLUCOR_ICU_FIND(converterSetFromUnicodeCallback, ucnv_setFromUCallBack);
        PELLUCOR_ICU_FIND(converterToUnicode, ucnv_toUChars);
        PELLUCOR_ICU_FIND(converterFromUnicode, ucnv_fromUChars);
        PELLUCOR_ICU_FIND(converterMaxCharSize, ucnv_getMaxCharSize);
        PELLUCOR_ICU_FIND(toUnicodeStop, UCNV_TO_U_CALLBACK_STOP);
        PELLUCOR_ICU_FIND(fromUnicodeStop, UCNV_FROM_U_CALLBACK_STOP);
#undef PELLUCOR_ICU_FIND
    } catch (const Error&) {
        ::dlclose(library);
        throw;
    }
    // The library stays open: its functions may be called until the very end.
    return f;
}

const Functions& functions() {
    // A static whose initialisation throws is tried again on the next call.
    static const Functions loaded = load(kLibrary);
    return loaded;
}

} // namespace pellucor::icu
