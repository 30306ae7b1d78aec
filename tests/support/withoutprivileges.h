#pragma once

#include "support/tempcollection.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace pk::test {

/// Runs `check` without the power to ignore file permissions: as an unprivileged user in a
/// child process when the tests run as root.
inline void withoutPrivileges(const TempCollection &t, const std::function<void()> &check)
{
    if (geteuid() != 0) {
        check();
        return;
    }
    // Let the unprivileged user reach the folder.
    for (QString p = t.folder(); p.size() > 1; p = QFileInfo(p).path())
        QFile::setPermissions(p,
                              QFile::permissions(p) | QFileDevice::ExeOther
                                  | QFileDevice::ReadOther);
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        check();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unprivileged check failed (see output above)";
}

} // namespace pk::test
