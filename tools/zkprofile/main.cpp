// zkprofile: check, dump, compile and inspect profile texts and images (see docs/profile-text.md and
// docs/profile-image.md).
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "Common/profile/ZPProfileTool.h"

namespace {

// A 32-bit number in decimal or with a 0x prefix.
std::string ParseAddress(const std::string& text, ZPProfileToolOptions& options) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno != 0 || value > 0xFFFFFFFFull)
        return "not a 32-bit address: " + text;
    options.startAddress = static_cast<std::uint32_t>(value);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    ZPProfileToolOptions options;
    CLI::App app{
        "Checks, dumps, compiles and inspects device profiles. A FILE is a profile text or a profile image "
        "(an image begins with the bytes C0 DE). Exit 0 on success, 1 on any failure.",
        "zkprofile"};
    app.require_subcommand(1);
    auto* check =
        app.add_subcommand("check", "print the warnings and errors of FILE; exit 0 when it is valid");
    check->add_option("FILE", options.file, "profile text or image")->required();
    auto* dump = app.add_subcommand("dump", "print what was understood of FILE, then as check");
    dump->add_option("FILE", options.file, "profile text or image")->required();
    auto* compile = app.add_subcommand("compile", "compile the profile text TEXT into the image IMAGE");
    compile->add_option("TEXT", options.file, "profile text")->required();
    compile->add_option("-o,--output", options.output, "the image file to write")->required();
    compile
        ->add_option_function<std::string>(
            "--address",
            [&options](const std::string& text) {
                const std::string error = ParseAddress(text, options);
                if (!error.empty()) throw CLI::ValidationError("--address", error);
            },
            "start address of the image (default: the header's PROFILE_ADDRESS)")
        ->type_name("ADDRESS");
    unsigned keyId = 0;
    compile
        ->add_option("--key-id", keyId,
                     "key of the cipher envelope (0: development key; others from the key file)")
        ->check(CLI::Range(0u, 255u));
    auto* inspect =
        app.add_subcommand("inspect", "identity check, header, object counts and load result of IMAGE");
    inspect->add_option("IMAGE", options.file, "profile image")->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : 1;
    }
    options.command = app.get_subcommands().front()->get_name();
    options.keyId = static_cast<std::uint8_t>(keyId);
    return ZPRunProfileTool(options, std::cout, std::cerr);
}
