// The encodings the decoder tells apart, and their numbers at the library's boundary.
#pragma once

namespace kodra {

// Kinds of section, numbered like the classic encoding types.
enum SectionType : int {
    kNoSection = 0,
    kUuSection = 1,      // UUencode, XXencode or a private "table" alphabet
    kBase64Section = 2,
    kBinHexSection = 3,
    kTextSection = 5,    // quoted-printable, 7bit, plain or HTML text
    kYencSection = 8,    // yEnc: only when the decode asks for it, never a classic result
};

enum class Encoding {
    none,
    uu,
    xx,
    privateTable,  // UUencode with a private "table" alphabet
    base64,
    binHex,
    text,
    quotedPrintable,
    raw,  // 8bit or binary, written byte for byte
    yenc,
};

// The classic type number of an encoding (DecodeFile's result): 1 UU (and private tables),
// 2 Base64, 3 BinHex, 4 XXencode, 5 text (8bit and binary parts too); 0 for none and for
// yEnc, which the classic exports never decode.
constexpr int classicType(Encoding encoding) noexcept {
    switch (encoding) {
        case Encoding::uu:
        case Encoding::privateTable: return 1;
        case Encoding::base64: return 2;
        case Encoding::binHex: return 3;
        case Encoding::xx: return 4;
        case Encoding::text:
        case Encoding::quotedPrintable:
        case Encoding::raw: return 5;
        case Encoding::yenc:
        case Encoding::none: break;
    }
    return 0;
}

}  // namespace kodra
