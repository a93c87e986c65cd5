#pragma once

// The ICU common library, opened on first use instead of at process start:
// most runs never need it, and loading it costs more than the rest of a
// small run. Only the C functions below are used, each found under the
// versioned name of the ICU the program was built against, so that nothing
// of ICU is bound when the program is linked.

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

namespace pellucor::icu {

struct Functions {
    decltype(&::u_errorName) errorName;
    decltype(&::u_toupper) toUpper;
    decltype(&::u_strFromUTF8) stringFromUtf8;
    decltype(&::u_strToUTF8) stringToUtf8;
    decltype(&::ubrk_open) breakOpen;
    decltype(&::ubrk_close) breakClose;
    decltype(&::ubrk_setUText) breakSetText;
    decltype(&::ubrk_first) breakFirst;
    decltype(&::ubrk_next) breakNext;
    decltype(&::utext_openUTF8) textOpenUtf8;
    decltype(&::utext_close) textClose;
    decltype(&::ucnv_open) converterOpen;
    decltype(&::ucnv_close) converterClose;
    decltype(&::ucnv_setToUCallBack) converterSetToUnicodeCallback;
    decltype(&::ucnv_setFromUCallBack) converterSetFromUnicodeCallback;
    decltype(&::ucnv_toUChars) converterToUnicode;
    decltype(&::ucnv_fromUChars) converterFromUnicode;
    decltype(&::ucnv_getMaxCharSize) converterMaxCharSize;
    decltype(&::UCNV_TO_U_CALLBACK_STOP) toUnicodeStop;
    decltype(&::UCNV_FROM_U_CALLBACK_STOP) fromUnicodeStop;
};

// The functions, the library loaded on the first call; later calls are cheap.
// Throws Error naming the library when it or one of its functions cannot be
// found, and tries again on the next call.
const Functions& functions();

// Loads libraryFile and looks up every function; the same errors. For tests.
Functions load(const char* libraryFile);

} // namespace pellucor::icu
