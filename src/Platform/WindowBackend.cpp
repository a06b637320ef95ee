#include "Platform/WindowBackend.h"

#include <cstdlib>
#include <cstring>

namespace zk::detail {
namespace {

bool EnvSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

BackendChoice Resolve(BackendChoice choice) {
    if (choice != BackendChoice::Auto) return choice;
    if (const char* env = std::getenv("ZK_BACKEND")) {
        if (std::strcmp(env, "sdl") == 0) return BackendChoice::Sdl;
        if (std::strcmp(env, "headless") == 0) return BackendChoice::Headless;
    }
    return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") ? BackendChoice::Sdl : BackendChoice::Headless;
}

}  // namespace

std::unique_ptr<WindowBackend> MakeBackend(const WindowSystemOptions& options) {
    if (Resolve(options.backend) == BackendChoice::Sdl)
        if (auto sdl = MakeSdlBackend()) return sdl;
    return MakeHeadlessBackend(options);
}

}  // namespace zk::detail
