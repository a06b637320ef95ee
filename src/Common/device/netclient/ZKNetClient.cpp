#include "Common/device/netclient/ZKNetClient.h"

#include <grpcpp/create_channel_posix.h>
#include <grpcpp/support/channel_arguments.h>

#include <grpcpp/completion_queue.h>

#include <grpc/support/time.h>

#include <cstdint>
#include <cstdlib>

#include "Common/device/ZKAdaptiveSpin.h"
#include "Common/device/ZKNetCodes.h"

// The open Attach call that keeps a session alive. The server names the session in the call's initial
// metadata and sends nothing else; cancelling the call ends the session.
//
// The call runs on a completion queue of its own that is only polled while someone asks for the session.
// (A callback reactor would make gRPC start threads that take turns polling every socket of the process,
// and each reply of every other call would then reach its caller through a thread hand-off.)
class ZKNetClient::SessionCall {
public:
    explicit SessionCall(zelknet::Session::Stub& stub)
        : reader_(stub.PrepareAsyncAttach(&context_, request_, &queue_)) {
        reader_->StartCall(Tag(kStarted));
        reader_->ReadInitialMetadata(Tag(kMetadata));
        reader_->Read(&event_, Tag(kRead));
        pending_ = 3;
    }

    ~SessionCall() {
        context_.TryCancel();
        while (pending_ > 0)
            Handle(queue_.Next(&tag_, &ok_) ? grpc::CompletionQueue::GOT_EVENT
                                            : grpc::CompletionQueue::SHUTDOWN);
        grpc::Status status;
        reader_->Finish(&status, Tag(kFinished));
        void* tag = nullptr;
        bool ok = false;
        queue_.Next(&tag, &ok);
        queue_.Shutdown();
        while (queue_.Next(&tag, &ok)) {
        }
    }

    // The session number once the server announced it; 0 on timeout or when the call ended.
    std::uint64_t Wait(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::system_clock::now() + timeout;
        // Without metadata, wait for it; with it, only look whether the call has ended meanwhile.
        do {
            const auto next =
                queue_.AsyncNext(&tag_, &ok_, gotMetadata_ ? std::chrono::system_clock::now() : deadline);
            if (next != grpc::CompletionQueue::GOT_EVENT) break;
            Handle(next);
        } while (!finished_ && (!gotMetadata_ || pending_ > 0));
        return finished_ ? 0 : session_;
    }

private:
    enum Step : std::uintptr_t { kStarted = 1, kMetadata, kRead, kFinished };
    static void* Tag(Step step) { return reinterpret_cast<void*>(step); }

    void Handle(grpc::CompletionQueue::NextStatus next) {
        if (next != grpc::CompletionQueue::GOT_EVENT) {
            pending_ = 0;
            finished_ = true;
            return;
        }
        --pending_;
        switch (static_cast<Step>(reinterpret_cast<std::uintptr_t>(tag_))) {
            case kStarted:
                if (!ok_) finished_ = true;
                break;
            case kMetadata:
                if (ok_) ReadSession();
                gotMetadata_ = true;
                break;
            case kRead:
                // The server never sends an event: a read that completes means the call has ended.
                finished_ = true;
                break;
            case kFinished:
                break;
        }
    }

    void ReadSession() {
        const auto& metadata = context_.GetServerInitialMetadata();
        if (const auto found = metadata.find("zk-session"); found != metadata.end()) {
            const std::string text(found->second.data(), found->second.size());
            session_ = std::strtoull(text.c_str(), nullptr, 10);
        }
    }

    grpc::ClientContext context_;
    grpc::CompletionQueue queue_;
    zelknet::AttachRequest request_;
    zelknet::SessionEvent event_;
    std::unique_ptr<grpc::ClientAsyncReader<zelknet::SessionEvent>> reader_;
    int pending_ = 0;
    void* tag_ = nullptr;
    bool ok_ = false;
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

void ZKNetClient::AwaitOnly(grpc::CompletionQueue& queue, std::chrono::microseconds spin) {
    // Each thread learns for itself whether its answers come within the spin.
    thread_local ZKAdaptiveSpin adaptive;
    void* tag = nullptr;
    bool ok = false;
    bool done = false;
    if (spin.count() > 0 && adaptive.ShouldSpin()) {
        const auto until = std::chrono::steady_clock::now() + spin;
        // A zero deadline polls the socket once and returns at once.
        while (!done && std::chrono::steady_clock::now() < until)
            done = queue.AsyncNext(&tag, &ok, gpr_time_0(GPR_CLOCK_MONOTONIC)) ==
                   grpc::CompletionQueue::GOT_EVENT;
        adaptive.Spun(done);
    }
    if (!done) queue.Next(&tag, &ok);  // the call's deadline bounds this wait
    queue.Shutdown();
    while (queue.Next(&tag, &ok)) {
    }
}
