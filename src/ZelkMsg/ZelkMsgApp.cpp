#include "ZelkMsg/ZelkMsgApp.h"

#include <memory>

#include "Common/device/ZKUserPrompt.h"
#include "Gui/ZKGlobalOptions.h"
#include "Platform/MessageBox.h"
#include "Platform/MessageLoop.h"
#include "ZelkMsg/ZMsgConsole.h"
#include "ZelkMsg/ZMsgDesktopPrompt.h"
#include "ZelkMsg/ZMsgRegistry.h"
#include "ZelkMsg/ZMsgSignalWatcher.h"
#include "ZelkMsg/ZelkMsgWnd.h"

namespace {

// The device layer's questions, asked through the main window's prompts.
class WindowUserPrompt final : public ZKUserPrompt {
public:
    explicit WindowUserPrompt(ZelkMsgWnd& window) : window_(window) { ZKUserPrompt::Install(this); }
    ~WindowUserPrompt() override { ZKUserPrompt::Install(nullptr); }
    WindowUserPrompt(const WindowUserPrompt&) = delete;
    WindowUserPrompt& operator=(const WindowUserPrompt&) = delete;

    void ShowMessage(const std::string& text) override { window_.Ask(text, ZMsgButtons::Ok); }
    bool AskYesNo(const std::string& text) override {
        return window_.Ask(text, ZMsgButtons::YesNo) == ZMsgAnswer::Yes;
    }

private:
    ZelkMsgWnd& window_;
};

int RunLoop(const std::function<void(zk::CMessageLoop&)>& prepare) {
    zk::CAppModule module;
    module.Init();
    zk::CMessageLoop loop;
    module.AddMessageLoop(&loop);
    prepare(loop);
    const int code = loop.Run();
    module.RemoveMessageLoop();
    module.Term();
    return code;
}

}  // namespace

int ZelkMsgApp::Run(const ZelkMsgRunOptions& options, const ZKServer::Factory& createServer, std::FILE* out,
                    std::FILE* err) {
    // Before any thread starts, so that every thread leaves Ctrl-C to the watcher.
    std::unique_ptr<ZMsgSignalWatcher> signals;
    if (options.console) signals = std::make_unique<ZMsgSignalWatcher>();

    zk::WindowSystemOptions windowing;
    if (options.console) windowing.backend = zk::BackendChoice::Headless;
    zk::WindowSystemScope windowSystem(windowing);
    ZMsgRegistry& registry = ZMsgRegistry::Instance();
    ZKGlobalOptions displayOptions(registry);
    displayOptions.Reload();
    displayOptions.Install();

    std::unique_ptr<ZMsgConsole> console;
    if (options.console) {
        console = std::make_unique<ZMsgConsole>(out, err, ZMsgConsole::ColourWanted(out));
        zk::SetMessageBoxPresenter([&console](const std::string& text, const std::string&, zk::UINT type) {
            const bool yesNo = (type & zk::MB_YESNO) == zk::MB_YESNO;
            return console->MessageBox(text, yesNo ? ZMsgButtons::YesNo : ZMsgButtons::Ok) == ZMsgAnswer::Yes
                       ? zk::IDYES
                   : yesNo ? zk::IDNO
                           : zk::IDOK;
        });
    }

    ZelkMsgWnd::Settings settings;
    settings.registry = &registry;
    settings.displayOptions = &displayOptions;
    settings.persistPlacement = !options.console;
    settings.searchForTheRun = options.console;
    if (options.device) settings.onlyDevice = ZMsgDeviceSelector::Parse(*options.device);
    ZelkMsgWnd window(settings);  // the timer service runs from here on

    int code = 1;
    {
        std::unique_ptr<ZKServer> server;
        const ZKServerStartup started = ZKServer::Start(createServer, {}, server);
        if (started == ZKServerStartup::Ok) {
            window.SetServer(server.get());
            zk::HWND owner;
            window.SetPrompt(console ? console->Prompt()
                                     : ZMsgDesktopPrompt::Make(owner, registry, *server, &displayOptions));
            window.SetObserver(console.get());
            if (window.Create()) {
                owner = window.Window();
                ZKTimerServer::SetTickWindow(window.Window());
                server->SetMainWindow(window.Window());
                if (signals) signals->SetWindow(window.Window());
                zk::ShowWindow(window.Window(), zk::SW_SHOW);
                zk::UpdateWindow(window.Window());
                WindowUserPrompt questions(window);
                code = RunLoop([&](zk::CMessageLoop& loop) {
                    if (options.beforeLoop) options.beforeLoop(window, loop);
                });
            }
            ZKTimerServer::SetTickWindow(zk::HWND());
        } else {
            zk::MessageBox(zk::HWND(), ZKServer::StartupText(started), "ERROR", zk::MB_OK | zk::MB_ICONERROR);
        }
    }
    zk::SetMessageBoxPresenter({});
    return code;
}
