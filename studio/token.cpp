#include "studio/token.hpp"

#include <random>

std::string make_token() {
    // random_device reads the system's source of randomness (getrandom,
    // /dev/urandom, rand_s on Windows), never a fixed seed.
    std::random_device device;
    const char* const digits = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t word = device();
        for (int shift = 28; shift >= 0; shift -= 4) token += digits[(word >> shift) & 0xF];
    }
    return token;
}

bool same_token(const std::string& given, const std::string& token) {
    if (given.size() != token.size()) return false;
    unsigned difference = 0;
    for (std::size_t i = 0; i < token.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i]) ^ static_cast<unsigned char>(token[i]);
    }
    return difference == 0;
}
