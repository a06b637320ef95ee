#include "ZelkNetServer/ZelkNetSessionService.h"

namespace {

// One Attach call, from waiting for it until gRPC is done with it. Three things come back on the queue:
// the call's arrival, the initial metadata sent, and the call's end (client gone or server stopping). The
// object goes when all that were asked for came back.
class SessionCall final {
public:
    SessionCall(ZelkNetCallQueue& queue, ZelkNetSessionService& service, ZelkNetWorld& world)
        : queue_(queue), service_(service), world_(world), writer_(&context_) {
        context_.AsyncNotifyWhenDone(&ended_);
        service_.RequestAttach(&context_, &request_, &writer_, queue_.Queue(), queue_.Queue(), &arrived_);
    }

private:
    // A tag that calls one step of its call.
    struct Step final : ZelkNetCallTag {
        Step(SessionCall* call, void (SessionCall::*step)(bool)) : call_(call), step_(step) {}
        void Proceed(bool ok) override { (call_->*step_)(ok); }
        SessionCall* call_;
        void (SessionCall::*step_)(bool);
    };

    void Arrived(bool ok) {
        if (!ok) {
            delete this;  // no call came: the server shuts down (and the end is never reported)
            return;
        }
        if (queue_.Open()) new SessionCall(queue_, service_, world_);
        session_ = world_.OpenSession();
        context_.AddInitialMetadata(ZelkNetSessionService::kSessionKey, std::to_string(session_));
        pending_ = 2;
        writer_.SendInitialMetadata(&sent_);
    }
    void Sent(bool) { Done(); }
    void Ended(bool) {
        world_.CloseSession(session_);
        Done();
    }
    void Done() {
        if (--pending_ == 0) delete this;
    }

    ZelkNetCallQueue& queue_;
    ZelkNetSessionService& service_;
    ZelkNetWorld& world_;
    grpc::ServerContext context_;
    zelknet::AttachRequest request_;
    grpc::ServerAsyncWriter<zelknet::SessionEvent> writer_;
    std::uint64_t session_ = 0;
    int pending_ = 0;
    Step arrived_{this, &SessionCall::Arrived};
    Step sent_{this, &SessionCall::Sent};
    Step ended_{this, &SessionCall::Ended};
};

}  // namespace

void ZelkNetSessionService::Offer(ZelkNetCallQueue& queue) {
    new SessionCall(queue, *this, world_);
}
