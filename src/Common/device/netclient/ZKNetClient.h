#pragma once
// A connection to zelknetserver: one gRPC channel on one socket, the stubs of its services, deadlines for
// every call, and the session that the device handles belong to. The handles opened through this client
// die when it is destroyed (or its process ends).

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <grpcpp/channel.h>
#include <grpcpp/client_context.h>
#include <grpcpp/completion_queue.h>
#include <grpcpp/support/async_unary_call.h>

#include "Common/device/ZKServerLauncher.h"
#include "zelknet.grpc.pb.h"

class ZKNetClient {
public:
    // The deadline of a call unless the caller gives another.
    static constexpr std::chrono::milliseconds kDefaultDeadline{2000};

    // Connects to the running server, or starts one as the program would.
    static std::unique_ptr<ZKNetClient> ConnectOrSpawn(const zk::NetServerLaunch& launch, std::string& error);
    // Connects only when a server already runs.
    static std::unique_ptr<ZKNetClient> ConnectExisting(const std::string& runtimeFolder, std::string& error);
    // Takes over a connected socket.
    static std::unique_ptr<ZKNetClient> FromSocket(int fd);

    ~ZKNetClient();
    ZKNetClient(const ZKNetClient&) = delete;
    ZKNetClient& operator=(const ZKNetClient&) = delete;

    zelknet::Server::Stub& Server() { return *server_; }
    zelknet::Device::Stub& Device() { return *device_; }
    zelknet::SimControl::Stub& Sim() { return *sim_; }

    // A fresh context whose deadline lies `deadline` from now.
    static std::unique_ptr<grpc::ClientContext> Context(
        std::chrono::milliseconds deadline = kDefaultDeadline);

    // Makes one unary call through `stub` and waits for its answer, as the stub's own blocking call would,
    // except that it first polls for the answer without sleeping for up to `spin`. A server that answers
    // within that time (it does, when it is awake) then costs no scheduler wake-up on this side.
    template <typename Stub, typename Request, typename Reply>
    static grpc::Status Call(Stub& stub,
                             std::unique_ptr<grpc::ClientAsyncResponseReader<Reply>> (Stub::*prepare)(
                                 grpc::ClientContext*, const Request&, grpc::CompletionQueue*),
                             grpc::ClientContext* context, const Request& request, Reply* reply,
                             std::chrono::microseconds spin = kDefaultSpin) {
        grpc::CompletionQueue queue;
        grpc::Status status;
        auto call = (stub.*prepare)(context, request, &queue);
        call->StartCall();
        call->Finish(reply, &status, &queue);
        AwaitOnly(queue, spin);
        return status;
    }
    static constexpr std::chrono::microseconds kDefaultSpin{200};

    // The session for OpenDevice, attached on first use; 0 when the server did not answer in time.
    std::uint64_t Session(std::chrono::milliseconds timeout = kDefaultDeadline);
    // Ends the session now: the server closes every handle opened with it.
    void EndSession();

    // Opens a device by its address; the handle, or 0 with `hresult` set.
    std::uint64_t OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                             std::int32_t& hresult);

    // The HRESULT of a finished call: a transport failure or a missed deadline counts like a failed COM
    // call; otherwise the reply's own. (The reply is read here, after the call: pass the call itself as
    // the first argument.)
    static std::int32_t HResult(const grpc::Status& status, std::int32_t replyHResult);
    template <typename Reply>
    static std::int32_t HResult(const grpc::Status& status, const Reply& reply) {
        return HResult(status, status.ok() ? reply.hresult() : 0);
    }

private:
    explicit ZKNetClient(std::shared_ptr<grpc::Channel> channel);
    // Waits for the one operation on `queue`, then ends and drains the queue.
    static void AwaitOnly(grpc::CompletionQueue& queue, std::chrono::microseconds spin);
    class SessionCall;

    std::shared_ptr<grpc::Channel> channel_;
    std::unique_ptr<zelknet::Server::Stub> server_;
    std::unique_ptr<zelknet::Device::Stub> device_;
    std::unique_ptr<zelknet::SimControl::Stub> sim_;
    std::unique_ptr<zelknet::Session::Stub> sessionStub_;
    std::unique_ptr<SessionCall> session_;
};
