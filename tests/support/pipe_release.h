#pragma once

#include <chrono>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace tarn::test {

// While it lives, opens a pipe for writing now and then after two seconds, and
// closes it at once: a reader stuck on the pipe gets to its end, so a test of
// code that blocks on pipes fails instead of hanging.
class PipeRelease {
  public:
    explicit PipeRelease(std::string pipe)
        : thread_([pipe = std::move(pipe)](const std::stop_token& stop) {
              for (int i = 0; !stop.stop_requested(); ++i) {
                  if (i >= 200) // two seconds on
                      ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}

  private:
    std::jthread thread_;
};

} // namespace tarn::test
