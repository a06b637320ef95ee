#include "Common/netclient/ZKNetClient.h"

#include <grpcpp/create_channel_posix.h>
#include <grpcpp/support/channel_arguments.h>

#include <condition_variable>
#include <mutex>

#include "Common/ZKNetCodes.h"

// The open Attach call that keeps a session alive. The server names the session in the call's initial
// metadata and sends nothing else; cancelling the call ends the session.
class ZKNetClient::SessionCall final : public grpc::ClientReadReactor<zelknet::SessionEvent> {
public:
    explicit SessionCall(zelknet::Session::Stub& stub) {
        stub.async()->Attach(&context_, &request_, this);
        StartRead(&event_);
        StartCall();
    }

    ~SessionCall() override {
        context_.TryCancel();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return finished_; });
    }

    // The session number once the server announced it; 0 on timeout or when the call failed.
    std::uint64_t Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, timeout, [this] { return gotMetadata_ || finished_; });
        return session_;
    }

    void OnReadInitialMetadataDone(bool ok) override {
        std::uint64_t session = 0;
        if (ok) {
            const auto& metadata = context_.GetServerInitialMetadata();
            if (const auto found = metadata.find("zk-session"); found != metadata.end()) {
                const std::string text(found->second.data(), found->second.size());
                session = std::strtoull(text.c_str(), nullptr, 10);
            }
        }
        std::lock_guard lock(mutex_);
        session_ = session;
        gotMetadata_ = true;
        done_.notify_all();
    }
    void OnReadDone(bool) override {}
    void OnDone(const grpc::Status&) override {
        std::lock_guard lock(mutex_);
        finished_ = true;
        session_ = 0;
        done_.notify_all();
    }

private:
    grpc::ClientContext context_;
    zelknet::AttachRequest request_;
    zelknet::SessionEvent event_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool gotMetadata_ = false;
    bool finished_ = false;
    std::uint64_t session_ = 0;
};

ZKNetClient::ZKNetClient(std::shared_ptr<grpc::Channel> channel)
    : channel_(std::move(channel)),
      server_(zelknet::Server::NewStub(channel_)),
      device_(zelknet::Device::NewStub(channel_)),
      sim_(zelknet::SimControl::NewStub(channel_)),
      sessionStub_(zelknet::Session::NewStub(channel_)) {}

ZKNetClient::~ZKNetClient() {
    EndSession();
}

std::unique_ptr<ZKNetClient> ZKNetClient::FromSocket(int fd) {
    grpc::ChannelArguments arguments;
    arguments.SetMaxReceiveMessageSize(zknet::kMaxMessageBytes);
    arguments.SetMaxSendMessageSize(zknet::kMaxMessageBytes);
    return std::unique_ptr<ZKNetClient>(
        new ZKNetClient(grpc::CreateCustomInsecureChannelFromFd("zelknetserver", fd, arguments)));
}

std::unique_ptr<ZKNetClient> ZKNetClient::ConnectOrSpawn(const zk::NetServerLaunch& launch,
                                                         std::string& error) {
    const int fd = zk::ConnectOrSpawnNetServer(launch, error);
    return fd < 0 ? nullptr : FromSocket(fd);
}

std::unique_ptr<ZKNetClient> ZKNetClient::ConnectExisting(const std::string& runtimeFolder,
                                                          std::string& error) {
    if (!zk::PrepareRuntimeFolder(runtimeFolder, error)) return nullptr;
    const int fd = zk::ConnectNetServer(zk::NetServerSocketPath(runtimeFolder));
    if (fd < 0) {
        error = "no zelknetserver is running";
        return nullptr;
    }
    return FromSocket(fd);
}

std::unique_ptr<grpc::ClientContext> ZKNetClient::Context(std::chrono::milliseconds deadline) {
    auto context = std::make_unique<grpc::ClientContext>();
    context->set_deadline(std::chrono::system_clock::now() + deadline);
    return context;
}

std::uint64_t ZKNetClient::Session(std::chrono::milliseconds timeout) {
    if (!session_) session_ = std::make_unique<SessionCall>(*sessionStub_);
    return session_->Wait(timeout);
}

void ZKNetClient::EndSession() {
    session_.reset();
}

std::uint64_t ZKNetClient::OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                                      std::int32_t& hresult) {
    zelknet::OpenDeviceRequest request;
    request.set_session(Session());
    request.set_address1(address1);
    request.set_address2(address2);
    request.set_address3(address3);
    zelknet::OpenDeviceReply reply;
    const auto context = Context();
    hresult = HResult(server_->OpenDevice(context.get(), request, &reply), reply);
    return zknet::Failed(hresult) ? 0 : reply.handle();
}

std::int32_t ZKNetClient::HResult(const grpc::Status& status, std::int32_t replyHResult) {
    if (status.ok()) return replyHResult;
    return status.error_code() == grpc::StatusCode::DEADLINE_EXCEEDED ? zknet::kE_TIMEOUT
                                                                      : zknet::kE_UNAVAILABLE;
}
