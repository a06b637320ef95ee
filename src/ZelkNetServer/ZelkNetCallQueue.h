#pragma once
// The server's one completion queue and the one thread that serves it. Every call of every service is
// answered on this thread, straight from the queue: no hand-off between threads on the way in or out.
//
// After each event the thread keeps polling the queue without sleeping for a short while (the spin
// window) before it blocks again. A client that calls back to back (the message poll drains a device's
// queue with up to a hundred calls in a row) then finds the server awake, and a call costs the work on
// the wire instead of a scheduler wake-up on each side. Idle, the thread sleeps; on a machine too busy for
// the spin to catch the next call, it stops spinning (ZKAdaptiveSpin).

#include <grpcpp/completion_queue.h>
#include <grpcpp/server_context.h>
#include <grpcpp/support/async_unary_call.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ZelkNetServer/ZelkNetFaultGate.h"
#include "ZelkNetServer/ZelkNetHungCalls.h"

// What the queue hands back: every tag put on the queue is one of these.
class ZelkNetCallTag {
public:
    virtual ~ZelkNetCallTag() = default;
    // `ok` is gRPC's verdict on the operation the tag stood for.
    virtual void Proceed(bool ok) = 0;
};

class ZelkNetCallQueue {
public:
    // `spin`: polling without sleep this long after the last event; zero never spins.
    ZelkNetCallQueue(std::unique_ptr<grpc::ServerCompletionQueue> queue, ZelkNetHungCalls& hung,
                     std::chrono::microseconds spin);
    ~ZelkNetCallQueue();
    ZelkNetCallQueue(const ZelkNetCallQueue&) = delete;
    ZelkNetCallQueue& operator=(const ZelkNetCallQueue&) = delete;

    grpc::ServerCompletionQueue* Queue() { return queue_.get(); }
    ZelkNetHungCalls& HungCalls() { return hung_; }
    // False once the server shuts down: no new calls are asked for.
    bool Open() const { return open_.load(); }

    // Starts the serving thread; the services must have asked for their first calls.
    void Start();
    // After the gRPC server's own Shutdown: ends the queue and waits until every tag came back.
    void Shutdown();

    // Serves `Name` of `service` by `serve`: `request` is the service's RequestName.
    template <typename Service, typename RequestFn, typename Request, typename Reply>
    void Offer(Service* service, RequestFn request,
               ZelkNetAnswer (Service::*serve)(grpc::ServerContext*, const Request*, Reply*));

private:
    void Run();

    std::unique_ptr<grpc::ServerCompletionQueue> queue_;
    ZelkNetHungCalls& hung_;
    std::chrono::microseconds spin_;
    std::atomic<bool> open_{true};
    std::thread thread_;
};

// One unary call of one method, from waiting for it to its answer. A call that arrives first asks for the
// next call of its method, so every method always has one call waiting.
template <typename Service, typename RequestFn, typename Request, typename Reply>
class ZelkNetUnaryCall final : public ZelkNetCallTag, public ZelkNetParkedCall {
public:
    using Serve = ZelkNetAnswer (Service::*)(grpc::ServerContext*, const Request*, Reply*);

    ZelkNetUnaryCall(ZelkNetCallQueue& queue, Service* service, RequestFn request, Serve serve)
        : queue_(queue), service_(service), request_(request), serve_(serve), responder_(&context_) {
        (service_->*request_)(&context_, &message_, &responder_, queue_.Queue(), queue_.Queue(), this);
    }

    void Proceed(bool ok) override {
        // Answered (or the answer could not be sent), or no call came because the server shuts down.
        if (answered_ || !ok) {
            delete this;
            return;
        }
        if (queue_.Open()) new ZelkNetUnaryCall(queue_, service_, request_, serve_);
        answered_ = true;
        ZelkNetAnswer answer = (service_->*serve_)(&context_, &message_, &reply_);
        status_ = std::move(answer.status);
        if (answer.hang) {
            queue_.HungCalls().Park(this);
        } else {
            Release();
        }
    }

    // A hung call's client has given up once its deadline passed; the margin lets the client see its own
    // deadline pass first.
    bool Gone(std::chrono::system_clock::time_point now) const override {
        return now - std::chrono::milliseconds(50) > context_.deadline();
    }
    void Release() override { responder_.Finish(reply_, status_, this); }

private:
    ZelkNetCallQueue& queue_;
    Service* service_;
    RequestFn request_;
    Serve serve_;
    grpc::ServerContext context_;
    Request message_;
    Reply reply_;
    grpc::Status status_;
    grpc::ServerAsyncResponseWriter<Reply> responder_;
    bool answered_ = false;
};

template <typename Service, typename RequestFn, typename Request, typename Reply>
void ZelkNetCallQueue::Offer(Service* service, RequestFn request,
                             ZelkNetAnswer (Service::*serve)(grpc::ServerContext*, const Request*, Reply*)) {
    new ZelkNetUnaryCall<Service, RequestFn, Request, Reply>(*this, service, request, serve);
}

// Offers the method `Name` of the service `this` points to; its handler is `ServeName`.
#define ZK_OFFER(queue, Name)                                                  \
    (queue).Offer(this, &std::remove_pointer_t<decltype(this)>::Request##Name, \
                  &std::remove_pointer_t<decltype(this)>::Serve##Name)
