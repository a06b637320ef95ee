#pragma once
// The work of the zkprofile tool; the command line front-end only fills ZPProfileToolOptions.
//
//     check FILE           a profile text or image: warnings and errors (an image: the loader's error text)
//     dump FILE            what was understood, then as check
//     compile TEXT -o IMG  the image of a valid profile text
//     inspect IMG          identity check, header fields, object counts by kind, the load result
//
// A file whose first two bytes are the image magic 0xC0 0xDE is an image, anything else a text. Every command
// returns 0 on success and 1 on any failure, with a message; nothing is written on failure.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

struct ZPProfileToolOptions {
    std::string command;  // check, dump, compile, inspect
    std::string file;
    std::string output;                         // compile: the image file
    std::optional<std::uint32_t> startAddress;  // compile: instead of the header's PROFILE_ADDRESS
    std::uint8_t keyId = 0;                     // compile: key of the cipher envelope
};

int ZPRunProfileTool(const ZPProfileToolOptions& options, std::ostream& out, std::ostream& err);
