// The decode engine: one pass over a mail or news text (a file, an open stream or a memory
// block), finding every encoded section and sending each to a file in a folder, to a
// caller's sink, or to a listing.
#pragma once

#include "decode/encoding.h"
#include "decode/six_bit_lines.h"
#include "frame/stdio_file.h"
#include "kodra32.h"
#include "platform/platform.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kodra {

class NameList;

// Modes of a folder decode.
enum DecodeMode : int {
    kAskEverything = 0,  // "Decode file" and overwrite questions, messages shown
    kGivenNames = 1,     // silent, output names taken from the ";"-separated list
    kAskOverwrite = 2,   // only the overwrite question
    kSilent = 3,         // no question, computed names (as every other value)
};

// What a decode reads: exactly one of a path, an open stream (read from where it stands
// and closed at the end) or a memory block.
struct DecodeInput {
    const char* path = nullptr;
    StdioFile stream;
    const char* data = nullptr;
    std::size_t size = 0;
    bool inMemory = false;
    // Tuning, for tests and benchmarks: bytes per read of a file (0: the default), and
    // whether runs of clean data lines are decoded at once (else line by line).
    std::size_t readSize = 0;
    bool cleanLineRuns = true;
    // The SIMD level of the six-bit kernels (lowered to what the processor has); the
    // active one when not set.
    std::optional<SimdLevel> simdLevel;
    // The classic reading, for the library's own intermediate files: lone CRs are part of
    // lines, text sections end every line in CR LF, and 8bit and binary parts are text.
    // Otherwise lone CRs end lines in a classic Mac file, text keeps the message's line
    // ends where the system does not want CR LF, and 8bit and binary parts are copied
    // byte for byte.
    bool classicText = false;
    // yEnc sections are decoded (the Kodra* exports); the classic exports never see them.
    bool yenc = false;
};

enum class Destination {
    folder,     // files, named from the content (or the mode-1 list), asking as the mode says
    literal,    // every part silently into one literal path
    sink,       // a caller's KodraSink
    listNames,  // the default path of every part that would take a mode-1 name, into a NameList
    listSink,   // every part reported to a KodraSink's begin, nothing decoded
};

// What a sink's part is, beyond what KodraPart carries: filled in before the sink's begin
// is called, for callers that describe parts (archive extraction).
struct PartFacts {
    Encoding encoding = Encoding::none;
    std::string rawName;    // the name as the message writes it (encoded words and all)
    std::string mediaType;  // lower case; empty when the part had no Content-Type
    bool endLineSeen = false;  // a UU-family section met its "end" line (else the input ended first)
};

struct DecodeTarget {
    Destination kind = Destination::folder;
    int mode = kSilent;
    const char* names = "";          // folder: the mode-1 list
    const char* folder = nullptr;    // folder: where outputs go; null: the input's folder
    const char* literal = nullptr;   // literal: the output path
    platform::ProtectedFiles refused{};  // literal (and folder, when given): never opened as an output
    NameList* listing = nullptr;     // listNames
    const KodraSink* sink = nullptr; // sink, listSink
    PartFacts* facts = nullptr;      // sink, listSink: told each part's facts (may be null)
};

struct DecodeSummary {
    bool opened = false;          // the input could be read
    Encoding last = Encoding::none;  // what DecodeFile reports: the last section decoded
    int partsFound = 0;
    int partsDecoded = 0;         // sink: parts that ended KODRA_PART_DECODED
    const char* namesLeft = nullptr;  // folder: the part of target.names that mode 1 has not taken
};

// Runs one decode. Different calls may run on different threads at once when they are
// given different user interfaces, listings and sinks (or ones safe to share).
DecodeSummary runDecode(const platform::UserInterface& ui, DecodeInput input, const DecodeTarget& target) noexcept;

}  // namespace kodra
