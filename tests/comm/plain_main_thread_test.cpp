// The queue of the main thread without a GUI: order across nested pumps, and no task lost to one
// that throws.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "comm/plain_main_thread.h"

namespace kx71::testing {
namespace {

TEST(PlainMainThread, ATaskThatPumpsLetsTheQueuedTasksRunInTheOrderPosted) {
  TPlainMainThread main;
  std::string order;
  main.Post([&] {
    order += 'A';
    main.Post([&] { order += 'C'; });
    main.ProcessMessages();  // as Read does while it waits
  });
  main.Post([&] { order += 'B'; });
  main.ProcessMessages();
  EXPECT_EQ(order, "ABC");
}

TEST(PlainMainThread, ATaskPostedWhileTheQueueRunsWaitsForTheNextCall) {
  TPlainMainThread main;
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    main.Post(again);
  };
  main.Post(again);
  main.ProcessMessages();
  EXPECT_EQ(runs, 1);
  main.ProcessMessages();
  EXPECT_EQ(runs, 2);
}

TEST(PlainMainThread, TheTasksBehindOneThatThrowsStayQueued) {
  TPlainMainThread main;
  std::string order;
  main.Post([&] { order += '1'; });
  main.Post([] { throw std::runtime_error("handler failed"); });
  main.Post([&] { order += '2'; });
  main.Post([&] { order += '3'; });
  EXPECT_THROW(main.ProcessMessages(), std::runtime_error);
  EXPECT_EQ(order, "1");
  main.ProcessMessages();
  EXPECT_EQ(order, "123");
}

}  // namespace
}  // namespace kx71::testing
