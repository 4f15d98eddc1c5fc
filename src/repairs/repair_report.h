#pragma once
// The repair error report: what a repair routine that stops on a run-time error tells the user.
// It closes the progress window and unloads the wait window first; a closed or unusable
// connection (3709) gets the short "연결불량" box, any other error the box that asks the user to
// report the error code and text. The routine closes its own record sets afterwards; rows it
// wrote before the error stay.
namespace config {
class Runtime;
}
namespace db {
class DbError;
}

namespace repairs {

inline constexpr int kConnectionUnusable = 3709;

void ShowRepairErrorReport(config::Runtime& runtime, const db::DbError& error);

}  // namespace repairs
