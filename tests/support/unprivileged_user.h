#pragma once

// Makes permission bits count for the duration. Root reads and writes
// everything, so a test run as root plays an ordinary user (nobody) while this
// lives: only the effective ids change, for every thread, and come back at the
// end. The folder is opened up for that user to walk.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn::test {

class UnprivilegedUser {
  public:
    explicit UnprivilegedUser(const std::string& folder, mode_t folderMode = 0755) {
        if (::geteuid() != 0)
            return;
        ::chmod(folder.c_str(), folderMode);
        active_ = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    }
    ~UnprivilegedUser() {
        if (active_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) {
            std::fputs("cannot return to root\n", stderr);
            std::abort();
        }
    }

    bool ok() const { return active_ || ::geteuid() != 0; }

  private:
    static constexpr uid_t kNobody = 65534;
    bool active_ = false;
};

} // namespace tarn::test
