#pragma once
// The texts of the message log: how a device message becomes a row, how a row becomes plain text for a
// file or the clipboard, and the file names Save and Save To write to.
//
// A row is a rich text whose first three characters are its colour code: "$cw" for an ordinary device
// message, "$cr" for an alarm or a warning of the program, "$cg" for the identity report.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ZMsgLogText {
    // How Save and Save To finish the entered name.
    enum class Extension {
        IfMissing,  // ".txt" appended unless the path already ends in it (any case)
        Always,     // ".txt" appended whatever the name ends in
    };

    // A device message as a row: a text longer than two characters that ends in "!!" loses the two marks
    // and becomes red, anything else is white; line feeds are removed. `$` codes in the text stay.
    static std::string DeviceMessageRow(std::string_view message);

    // The row without its colour code (its first three characters, when it has three), with every ":$t"
    // shown as ": ". Other codes stay as they are.
    static std::string PlainText(std::string_view row);
    // Every row's plain text followed by a line feed.
    static std::string JoinPlainText(const std::vector<std::string>& rows);

    // "<type>#<serial>" for a connected device.
    static std::string DefaultFileName(const std::string& typeName, std::uint32_t serial);
    // The folder (taken as it is, no separator added) followed by the name, with ".txt" as `extension` says.
    static std::string SavePath(const std::string& folder, const std::string& name, Extension extension);
    // Creates (truncates) the file and writes each row's plain text as a line ending in CR LF. False when
    // the file cannot be created or written.
    static bool WriteFile(const std::string& path, const std::vector<std::string>& rows);
};
