#include "Platform/WindowBackend.h"

namespace zk::detail {

std::unique_ptr<WindowBackend> MakeSdlBackend() {
    return nullptr;  // not built yet: the headless backend runs instead
}

}  // namespace zk::detail
