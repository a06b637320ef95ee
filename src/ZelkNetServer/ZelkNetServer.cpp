#include "ZelkNetServer/ZelkNetServer.h"

#include <grpcpp/server.h>
#include <grpcpp/server_builder.h>
#include <grpcpp/server_posix.h>

#include <cstdio>

#include "Common/device/ZKNetCodes.h"
#include "Platform/ShellFolders.h"
#include "ZelkNetServer/ZelkNetCallQueue.h"
#include "ZelkNetServer/ZelkNetDeviceService.h"
#include "ZelkNetServer/ZelkNetServerService.h"
#include "ZelkNetServer/ZelkNetSessionService.h"
#include "ZelkNetServer/ZelkNetSimControlService.h"

void ZelkNetLog(const std::string& text) {
    std::fprintf(stderr, "zelknetserver: %s\n", text.c_str());
}

ZelkNetServer::ZelkNetServer(const ZelkNetScenario& scenario, ZelkNetServerOptions options)
    : options_(std::move(options)), world_(scenario) {
    if (options_.runtimeFolder.empty()) options_.runtimeFolder = zk::RuntimeFolder();
}

ZelkNetServer::~ZelkNetServer() {
    Shutdown();
}

bool ZelkNetServer::Start(std::string& error, bool& alreadyRunning) {
    if (!listener_.Open(options_.runtimeFolder, error, alreadyRunning)) return false;

    serverService_ = std::make_unique<ZelkNetServerService>(world_);
    deviceService_ = std::make_unique<ZelkNetDeviceService>(world_);
    simService_ = std::make_unique<ZelkNetSimControlService>(world_, [this] { RequestStop(); });
    sessionService_ = std::make_unique<ZelkNetSessionService>(world_);

    // No listening port: connections come from our own listener, which checks who is calling.
    grpc::ServerBuilder builder;
    builder.SetMaxReceiveMessageSize(zknet::kMaxMessageBytes);
    builder.SetMaxSendMessageSize(zknet::kMaxMessageBytes);
    builder.RegisterService(serverService_.get());
    builder.RegisterService(deviceService_.get());
    builder.RegisterService(simService_.get());
    builder.RegisterService(sessionService_.get());
    std::unique_ptr<grpc::ServerCompletionQueue> queue = builder.AddCompletionQueue();
    grpcServer_ = builder.BuildAndStart();
    if (!grpcServer_) {
        error = "cannot start the gRPC server";
        listener_.Close();
        return false;
    }
    calls_ = std::make_unique<ZelkNetCallQueue>(std::move(queue), world_.HungCalls(), options_.spin);
    serverService_->Offer(*calls_);
    deviceService_->Offer(*calls_);
    simService_->Offer(*calls_);
    sessionService_->Offer(*calls_);
    calls_->Start();
    world_.Start();
    listener_.Serve([this](int fd) {
        if (options_.verbose) ZelkNetLog("client connected");
        grpc::AddInsecureChannelFromFd(grpcServer_.get(), fd);
    });
    return true;
}

void ZelkNetServer::RequestStop() {
    {
        std::lock_guard lock(stopMutex_);
        stop_ = true;
    }
    stopRequested_.notify_all();
}

bool ZelkNetServer::WaitForStopRequest(std::chrono::milliseconds timeout) {
    std::unique_lock lock(stopMutex_);
    return stopRequested_.wait_for(lock, timeout, [this] { return stop_; });
}

void ZelkNetServer::Shutdown() {
    // No new clients; calls that hang on purpose let go; open calls (sessions) are cancelled.
    listener_.Close();
    world_.Stop();
    if (grpcServer_) {
        // The serving thread still runs here: the calls that end during the server's shutdown need it.
        grpcServer_->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(1));
        calls_->Shutdown();
        grpcServer_.reset();
        calls_.reset();
    }
}
