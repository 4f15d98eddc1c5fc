// Which of a database's backups a new one makes superfluous.
#include "app/pass_backup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BackupsToRemove, TheOldestGoButTheOneFromBeforeUnfinishedRunsStays) {
    const std::vector<std::string> stamps = {"20261201-100000", "20261202-100000",
                                             "20261203-100000", "20261204-100000",
                                             "20261205-100000"};
    struct Case {
        const char* lastRun;
        std::size_t keep;
        std::vector<std::size_t> removed;
    };
    const Case cases[] = {
        // Every backup was followed by a run that finished: the oldest go.
        {"20261205-100010", 2, {0, 1, 2}},
        // The runs of the 3rd, 4th and 5th did not finish: the 3rd's backup stays.
        {"20261202-100030", 2, {0, 1}},
        {"20261202-100030", 1, {0, 1, 3}},
        // A backup of the same second as the last recorded run belongs to that run.
        {"20261203-100000", 1, {0, 1, 2}},
        // No run recorded: the first backup ever holds the database as it was before any.
        {"", 2, {1, 2}},
        // Fewer backups than are kept: none go.
        {"", 5, {}},
        {"20261205-100010", 6, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::BackupsToRemove(stamps, c.keep, c.lastRun), c.removed)
            << c.lastRun << " keep " << c.keep;
    }
}

}  // namespace
