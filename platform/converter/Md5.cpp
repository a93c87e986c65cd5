#include "Md5.h"

#include <nettle/md5.h>

namespace pellucor::converter {

std::array<uint8_t, 16> md5Of(const std::string& bytes) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    std::array<uint8_t, 16> digest{};
    md5_digest(&context, digest.size(), digest.data());
    return digest;
}

} // namespace pellucor::converter
