// A port whose far end is a function: what it answers to each sent frame lands in the receive
// queue, and every call is recorded.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/exchange_port.h"

namespace kx71 {

class TScriptedPort : public TExchangePort {
 public:
  Frame queue;                              // bytes waiting in the receive path
  std::function<Frame(const Frame&)> unit;  // the answer to a sent frame
  std::function<void()> duringRead;         // runs once inside the next Read, like a handler
  bool open = true;
  std::vector<std::string> calls;  // "purge", "send <bytes>", "read <count>"

  void PurgeReceive() override {
    calls.push_back("purge");
    queue.clear();
  }
  bool SendString(const Frame& text) override {
    calls.push_back("send " + text);
    if (!open) return text.empty();
    if (unit && !text.empty()) queue += unit(text);
    return true;
  }
  std::int32_t Read(void* buffer, std::int32_t count) override {
    calls.push_back("read " + std::to_string(count));
    if (duringRead) std::exchange(duringRead, nullptr)();
    if (!open) return -1;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), queue.size());
    std::memcpy(buffer, queue.data(), n);
    queue.erase(0, n);
    return static_cast<std::int32_t>(n);
  }
};

}  // namespace kx71
