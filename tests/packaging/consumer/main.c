/* A caller of the installed library: every byte value, encoded and decoded with each
 * 6-bit buffer type, must come back unchanged, and a quoted-printable text must decode.
 * Exits 0 on success. */
#include <kodra32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int roundTrip(int type, const char *name) {
    enum { kLength = 1000 };
    char input[kLength];
    for (int i = 0; i < kLength; ++i) input[i] = (char)(i * 7 + i / 256);

    /* Room by the header's bounds: at most 63 characters per 45 bytes, then the decode. */
    char *encoded = malloc((kLength / 45 + 1) * 63);
    char *decoded = malloc(kLength + 3);
    if (!encoded || !decoded) return 1;

    const int encodedLength = EncodeBuffer(input, encoded, kLength, type);
    const int decodedLength = encodedLength > 0 ? DecodeBuffer(encoded, decoded, encodedLength, type) : 0;
    const int same = decodedLength == kLength && memcmp(input, decoded, kLength) == 0;
    printf("%-16s %d bytes -> %d characters -> %d bytes: %s\n", name, kLength, encodedLength,
           decodedLength, same ? "same" : "DIFFERENT");
    free(encoded);
    free(decoded);
    return same ? 0 : 1;
}

static int quotedPrintable(void) {
    const char text[] = "Caf=C3=A9 =3D ok";
    const char wanted[] = "Caf\xc3\xa9 = ok";
    char decoded[sizeof text + 1];
    const int length = DecodeBuffer(text, decoded, (int)strlen(text), KODRA_QUOTED_PRINTABLE);
    const int same = length == (int)strlen(wanted) && memcmp(decoded, wanted, strlen(wanted)) == 0;
    printf("%-16s \"%s\" -> %d bytes: %s\n", "quoted-printable", text, length, same ? "right" : "WRONG");
    return same ? 0 : 1;
}

int main(void) {
    int failures = 0;
    failures += roundTrip(KODRA_UUENCODE, "UUencode");
    failures += roundTrip(KODRA_BASE64, "Base64");
    failures += roundTrip(KODRA_XXENCODE, "XXencode");
    failures += quotedPrintable();
    /* BinHex codes files only: the buffer codec must refuse it. */
    char out[16];
    if (EncodeBuffer("x", out, 1, KODRA_BINHEX) != 0) {
        printf("BinHex buffer not refused\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
