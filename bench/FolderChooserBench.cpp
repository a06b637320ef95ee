// Opening the folder chooser on a folder of 10,000 entries: listing and sorting the folder, making the rows,
// measuring them, creating and placing the popup and painting it once (headless backend). The entries are
// folders (all shown: the title, six fixed rows and 10,000 folders) or files (read, none shown).
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Gui/ZKPopupDirectoryMenu.h"
#include "Platform/Window.h"

namespace {

// A folder of `count` entries: folders (what a folder chooser shows) or files (read and left out).
class Tree {
public:
    Tree(int count, bool folders) {
        char pattern[] = "/tmp/zkbench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        for (int i = 0; i < count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/Entry %05d of the benchmark", (i * 7919) % count);
            const std::string entry = path_ + name;
            if (folders)
                ::mkdir(entry.c_str(), 0755);
            else
                std::fclose(std::fopen(entry.c_str(), "w"));
        }
    }
    ~Tree() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Closes as soon as it has been painted once.
class PaintOnceChooser : public ZKPopupDirectoryMenu {
public:
    using ZKPopupDirectoryMenu::ZKPopupDirectoryMenu;
    int rows = 0;

protected:
    std::optional<std::string> AskFolderName() override { return std::nullopt; }
    void Paint(ZKDC& dc, const zk::Rect& rect) override {
        ZKPopupDirectoryMenu::Paint(dc, rect);
        rows = Rows() ? Rows()->Count() : 0;
        Close(kClosed);
    }
};

void OpenFolderChooser(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const Tree tree(count, state.range(1) != 0);
    zk::WindowSystemScope scope{{{1920, 1080}, std::nullopt, zk::BackendChoice::Headless}};
    zk::WindowCreateParams p;
    p.style = zk::WS_POPUP | zk::WS_VISIBLE;
    p.cx = 400;
    p.cy = 300;
    p.proc = zk::DefWindowProc;
    const zk::HWND owner = zk::CreateWindowEx(p);
    for (auto _ : state) {
        PaintOnceChooser chooser({}, tree.Path(), owner, {100, 100}, "Choose a folder");
        chooser.DoModal();
        if (state.range(1) && chooser.rows != count + 7) state.SkipWithError("rows missing");
    }
}
BENCHMARK(OpenFolderChooser)->Args({10000, 1})->Args({10000, 0})->Unit(benchmark::kMillisecond);

void ListFolder(benchmark::State& state) {
    const Tree tree(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        ZKFileBrowser browser(ZKFileBrowser::Mode::Folders, {});
        browser.Browse(tree.Path());
        benchmark::DoNotOptimize(browser.Rows().size());
    }
}
BENCHMARK(ListFolder)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
