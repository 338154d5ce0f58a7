#include "binhex/binhex_decoder_state.h"

#include "binhex/binhex.h"

namespace kodra {

BinHexDecoderState& binHexDecoderState() noexcept {
    static BinHexDecoderState state;
    return state;
}

void resetBinHexDecoderState(BinHexDecoderState& state) noexcept {
    const BinHexVariant variant = state.variant;
    state = BinHexDecoderState{};
    state.variant = variant;
}

int decodeBinHexForks(std::FILE* input, std::FILE* output, char* lineBuffer) noexcept {
    BinHexDecoderState& state = binHexDecoderState();
    if (input == nullptr) return 0;
    // A section's forks are decoded once; a second call has no header to go by.
    const BinHexVariant variant = state.variant;
    state.variant = BinHexVariant::none;
    if (output == input) output = nullptr;
    switch (variant) {
        case BinHexVariant::binHex40: return decodeBinHex40Fork(state, input, output);
        case BinHexVariant::hexBin:
            return lineBuffer != nullptr ? decodeHexBinForks(state, input, output, lineBuffer) : 0;
        default: return 0;
    }
}

}  // namespace kodra
