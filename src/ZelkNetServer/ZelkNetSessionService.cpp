#include "ZelkNetServer/ZelkNetSessionService.h"

#include <atomic>

namespace {

// Lives from the start of one Attach call until gRPC is done with it.
class SessionReactor final : public grpc::ServerWriteReactor<zelknet::SessionEvent> {
public:
    SessionReactor(grpc::CallbackServerContext* context, ZelkNetWorld& world)
        : world_(world), session_(world.OpenSession()) {
        context->AddInitialMetadata(ZelkNetSessionService::kSessionKey, std::to_string(session_));
        StartSendInitialMetadata();
    }

    void OnSendInitialMetadataDone(bool ok) override {
        if (!ok) End(grpc::Status(grpc::StatusCode::UNAVAILABLE, "client gone"));
    }
    // The client went away or the server shuts down.
    void OnCancel() override { End(grpc::Status::CANCELLED); }
    void OnDone() override {
        world_.CloseSession(session_);
        delete this;
    }

private:
    void End(const grpc::Status& status) {
        if (!finished_.exchange(true)) Finish(status);
    }

    ZelkNetWorld& world_;
    std::uint64_t session_;
    std::atomic<bool> finished_{false};
};

}  // namespace

grpc::ServerWriteReactor<zelknet::SessionEvent>* ZelkNetSessionService::Attach(
    grpc::CallbackServerContext* context, const zelknet::AttachRequest*) {
    return new SessionReactor(context, world_);
}
