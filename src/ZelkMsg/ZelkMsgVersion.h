#pragma once
// The program's version: the one place that holds its three numbers. The "/version" answer, the window
// title and the About text all read them from here.

namespace zelkmsg {

struct Version {
    unsigned major;
    unsigned minor;
    unsigned build;
};

inline constexpr Version kVersion{2, 15, 83};

}  // namespace zelkmsg
