#pragma once

#include <string>

// A fresh secret for one start of the studio: 128 random bits as 32
// lower-case hex digits.
std::string make_token();

// Compares a token given by a request with the studio's own in time that does
// not depend on where they first differ.
bool same_token(const std::string& given, const std::string& token);
