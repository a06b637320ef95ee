#include "ZelkMsg/ZMsgLogText.h"

#include <algorithm>
#include <cctype>

#include "Common/TextFile.h"

namespace {

constexpr std::string_view kAlarmMarks = "!!";
constexpr std::string_view kTxt = ".txt";
constexpr std::size_t kColourCodeSize = 3;

bool EndsWithTxt(const std::string& path) {
    if (path.size() < kTxt.size() + 1) return false;
    return std::equal(kTxt.begin(), kTxt.end(), path.end() - static_cast<std::ptrdiff_t>(kTxt.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; });
}

}  // namespace

std::string ZMsgLogText::DeviceMessageRow(std::string_view message) {
    std::string row;
    if (message.size() > kAlarmMarks.size() && message.ends_with(kAlarmMarks)) {
        message.remove_suffix(kAlarmMarks.size());
        row = "$cr";
    } else {
        row = "$cw";
    }
    row.append(message);
    std::erase(row, '\n');
    return row;
}

std::string ZMsgLogText::PlainText(std::string_view row) {
    if (row.size() >= kColourCodeSize) row.remove_prefix(kColourCodeSize);
    std::string text;
    text.reserve(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row.substr(i, 3) == ":$t") {
            text += ": ";
            i += 2;
        } else {
            text += row[i];
        }
    }
    return text;
}

std::string ZMsgLogText::JoinPlainText(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) {
        text += PlainText(row);
        text += '\n';
    }
    return text;
}

std::string ZMsgLogText::DefaultFileName(const std::string& typeName, std::uint32_t serial) {
    return typeName + "#" + std::to_string(serial);
}

std::string ZMsgLogText::SavePath(const std::string& folder, const std::string& name, Extension extension) {
    std::string path = folder + name;
    // A path of fewer than five characters cannot be more than ".txt" itself.
    if (extension == Extension::Always || !EndsWithTxt(path)) path += kTxt;
    return path;
}

bool ZMsgLogText::WriteFile(const std::string& path, const std::vector<std::string>& rows) {
    TextFile file;
    if (!file.Create(path)) return false;
    bool written = true;
    for (const std::string& row : rows)
        written = file.WriteLine("%s\n", PlainText(row).c_str()) && written;
    file.Close();
    return written;
}
