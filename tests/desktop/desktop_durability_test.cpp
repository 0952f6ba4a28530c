// What survives when the process or the disk fails: rows handed to the system
// by Flush outlive a process that dies without closing the table, and a write
// that fails raises, stops further writes and leaves a table that opens with
// the rows written before. Both run in a child process.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "db/desktop/desktop_table.h"
#include "tests/desktop/desktop_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::KodColumn;
using test::MakeKody;
using Kods = std::vector<long long>;

// Runs `child` in a forked process and returns its exit code (-1 when it was
// killed by a signal).
template <typename Child>
int ExitCodeOf(Child child) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = child();
        } catch (...) {
            code = 98;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DesktopDurabilityTest, RowsFlushedBeforeTheProcessDiesSurviveIt) {
    test::TempDir dir;
    const std::string path = dir.File("Maga.db");
    MakeKody(path, 2);
    const int code = ExitCodeOf([&] {
        DesktopTable table;
        table.Open(path, DesktopOpenMode::ReadWrite);
        for (int kod = 3; kod <= 5; ++kod) {
            table.Append();
            table.SetInteger("Kod", kod);
            table.Post();
            table.Flush();
        }
        _exit(0);  // dies with the table open: no Close, no destructor, no stdio flush
        return 1;
    });
    ASSERT_EQ(0, code);
    EXPECT_EQ((Kods{1, 2, 3, 4, 5}), KodColumn(path));
}

TEST(DesktopDurabilityTest, AFailingWriteRaisesStopsLaterWritesAndKeepsTheEarlierRows) {
    test::TempDir dir;
    const std::string path = dir.File("Maga.db");
    MakeKody(path, 1);
    const int perBlock = test::LayoutOf(test::ReadFileBytes(path)).recordsPerBlock;
    std::filesystem::remove(path);
    MakeKody(path, perBlock);  // the one block is full: the next row needs a new block
    const auto size = static_cast<rlim_t>(test::ReadFileBytes(path).size());

    const int code = ExitCodeOf([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{size + 100, size + 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        DesktopTable table;
        table.Open(path, DesktopOpenMode::ReadWrite);
        table.Append();
        table.SetInteger("Kod", perBlock + 1);
        table.Post();  // held by the layer until Flush
        try {
            table.Flush();
            return 11;  // the write beyond the limit went through
        } catch (const DesktopTableError& error) {
            const std::string message = error.what();
            if (message.find("writing failed") == std::string::npos) return 12;
            if (message.find(path) == std::string::npos) return 13;
        }
        try {
            table.Append();
            return 14;  // a broken table accepted another record
        } catch (const DesktopTableError& error) {
            if (std::string(error.what()).find("earlier write failed") == std::string::npos) {
                return 15;
            }
        }
        try {
            table.Close();
        } catch (const DesktopTableError&) {
            // The C library may fail again while letting go of the buffer.
        }
        return 0;
    });
    ASSERT_EQ(0, code);
    Kods expected(static_cast<std::size_t>(perBlock));
    for (int i = 0; i < perBlock; ++i) expected[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(expected, KodColumn(path));
}

}  // namespace
}  // namespace rubso
