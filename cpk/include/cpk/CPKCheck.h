// Checks an archive file against the invariants of the format, without
// trusting any of its counts: for the archive tool and for tests.
#pragma once

#include <string>
#include <vector>

// One line (English, GBK names as stored) per broken invariant, empty when
// the archive is sound. A broken invariant found in several records is one
// line naming the first and the count of the others. Reads the file only.
// Bytes past the end of the table are not a fault: an interrupted change
// leaves them, and no reader of the format looks at them.
std::vector<std::string> CheckArchive(const std::string& path);
