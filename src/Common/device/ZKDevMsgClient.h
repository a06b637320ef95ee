#pragma once
// A receiver of device text messages. The device's worker hands every batch it read to each registered
// client in registration order, on the GUI thread; the texts are in device order.

#include <string>
#include <vector>

class ZKDevMsgClient {
public:
    virtual ~ZKDevMsgClient() = default;
    // One batch of 1..100 texts. The batch belongs to the worker; copy what must outlive the call.
    virtual void ReceiveMessages(const std::vector<std::string>& texts) = 0;
};
