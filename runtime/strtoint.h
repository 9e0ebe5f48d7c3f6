#pragma once
// Text to a signed 32-bit integer: leading blanks (character 32 only), then an optional
// sign and decimal digits within -2147483648..2147483647, or "$" and hexadecimal digits
// fitting 32 bits taken as two's complement ($FFFFFFFF is -1); then the end of the text.
// Anything else raises EConvertError "'<text>' is not a valid integer value".
#include <string>

int StrToInt(const std::string& text);
