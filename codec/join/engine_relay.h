// The decode engine run over a block of text, its parts relayed to a join's output.
#pragma once

#include "join/join_output.h"
#include "platform/platform.h"

#include <string>
#include <string_view>

namespace kodra {

struct RelayResult {
    int parts = 0;          // parts the engine found
    int finished = 0;       // parts that reached their final name (sink: DECODED)
    std::string firstPath;  // folder: the file the first part ended in
};

// Decodes text with runDecode, every part going to output; offsetBase is added to the
// offsets a sink is told. With complete false no part gets its final name.
RelayResult relayDecode(const platform::UserInterface& ui, std::string_view text, long long offsetBase,
                        JoinOutput& output, bool complete) noexcept;

}  // namespace kodra
