#pragma once
// Scripts of statements separated by lines that hold only GO, as the server's own clients read
// them; GO is no statement but the client's signal to send what came before.
#include <string>
#include <string_view>
#include <vector>

namespace db {

// A line that holds only GO, in any letter case, with blanks around it.
bool IsGoLine(std::string_view line);

// A batch that holds something besides blanks and line breaks.
bool HasStatementText(std::string_view batch);

// The batches of the script: its lines up to each GO line, joined by `lineEnd` (a CR before a
// line's LF is dropped). Batches of blanks only are left out.
std::vector<std::string> SplitGoBatches(std::string_view script, std::string_view lineEnd = "\r\n");

}  // namespace db
