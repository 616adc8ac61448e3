#pragma once
// Escaping of bytes in XML attribute values as "&#xHH;" (two hexadecimal
// digits). Only that numeric form exists in the system's XML dialect: there are
// no named entities.

#include <string>
#include <string_view>

namespace cv {

// Every control byte (below 32), "&", every byte from 127 to 191 and every
// byte of `extraSet` as "&#xHH;" with upper-case digits; all other bytes,
// including 192 to 255, unchanged.
std::string EscapeChars(std::string_view text, std::string_view extraSet);

// Scans from the last byte to the first; an "&" followed by "#x" and at least
// three more bytes is replaced, with those six bytes, by the byte the two
// digits after "#x" give (either case; a pair that is not two hexadecimal
// digits gives 0). The sixth byte, normally ";", is not checked. A byte
// produced this way is never decoded again. Finally bytes up to 32 are
// trimmed from both ends.
std::string UnescapeChars(std::string_view text);

}  // namespace cv
