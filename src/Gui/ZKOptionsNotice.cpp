#include "Gui/ZKOptionsNotice.h"

#include "Common/ZKRegistry.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Platform/CopyData.h"
#include "Platform/Process.h"
#include "Platform/Window.h"

ZKOptionsNotice::ZKOptionsNotice(ZKGlobalOptions& options, const ZKRegistry& registry, zk::HWND mainWindow)
    : options_(options), registry_(registry), mainWindow_(mainWindow) {
    options_.SetChangeNotifier([this](ZKGlobalOptions::Option option, bool local) { Send(option, local); });
}

ZKOptionsNotice::~ZKOptionsNotice() {
    options_.SetChangeNotifier({});
}

std::string ZKOptionsNotice::InstallFolder() const {
    std::string folder;
    if (registry_.GetInstallDirectory(folder) && !folder.empty()) return folder;
    return zk::ExecutableFolder();
}

void ZKOptionsNotice::Send(ZKGlobalOptions::Option option, bool local) {
    const std::vector<std::byte> block = ZKCopyDataCommand::MakeNotice(option);
    zk::COPYDATASTRUCT data;
    data.cbData = static_cast<zk::DWORD>(block.size());
    data.lpData = block.data();
    zk::LRESULT ignored = 0;
    zk::SendMessageTimeout(mainWindow_, zk::WM_COPYDATA, mainWindow_.ToWParam(),
                           reinterpret_cast<zk::LPARAM>(&data), zk::SMTO_NORMAL, zk::kCopyDataTimeoutMs,
                           &ignored);
    if (!local) zk::BroadcastCopyData(InstallFolder(), mainWindow_, 0, block);
}

bool ZKOptionsNotice::Apply(ZKGlobalOptions& options, zk::HWND window, std::uint32_t command,
                            const std::function<void()>& schemeChanged) {
    return Apply(options, std::span(&window, 1), command, schemeChanged);
}

bool ZKOptionsNotice::Apply(ZKGlobalOptions& options, std::span<const zk::HWND> windows,
                            std::uint32_t command, const std::function<void()>& schemeChanged) {
    switch (command) {
        case ZKGlobalOptions::kBlackOnWhite:
        case ZKGlobalOptions::kColourBlind:
            options.Reload();
            if (command == ZKGlobalOptions::kBlackOnWhite && schemeChanged) schemeChanged();
            for (const zk::HWND window : windows)
                zk::RedrawWindow(window, nullptr, zk::RDW_INVALIDATE | zk::RDW_ERASE | zk::RDW_ALLCHILDREN);
            return true;
        case ZKGlobalOptions::kReverseFolderOrder:
        case ZKGlobalOptions::kFloatingFocus:
            options.Reload();
            return true;
        default:
            return false;
    }
}

zk::LRESULT ZKOptionsNotice::OnCopyData(ZKGlobalOptions& options, zk::HWND window,
                                        const zk::COPYDATASTRUCT& data,
                                        const std::function<void()>& schemeChanged) {
    const auto parsed = ZKCopyDataCommand::Parse(data);
    return parsed && Apply(options, window, parsed->command, schemeChanged) ? 1 : 0;
}
