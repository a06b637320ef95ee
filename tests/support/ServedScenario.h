#pragma once
// An in-process zelknetserver for tests: serves a scenario text on the socket of its own runtime folder.

#include <memory>
#include <string>

#include "ZelkNetServer/ZelkNetServer.h"

namespace zktest {

// The started server, or nothing with the reason in `error`.
inline std::unique_ptr<ZelkNetServer> StartServedScenario(const std::string& text, const std::string& folder,
                                                          std::string& error) {
    const auto scenario = ZelkNetScenario::Parse(text, {}, error);
    if (!scenario) return nullptr;
    ZelkNetServerOptions options;
    options.runtimeFolder = folder;
    auto server = std::make_unique<ZelkNetServer>(*scenario, options);
    bool running = false;
    return server->Start(error, running) ? std::move(server) : nullptr;
}

}  // namespace zktest
