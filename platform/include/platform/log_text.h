#pragma once
// Text as the run's log writes it. The log is read by people and by tools line by line,
// and much of what it records comes from outside (settings, paths, the command line,
// system messages): none of that may end a line early or make one look like another.

#include <string>
#include <string_view>

namespace hdgr {

// `text` between double quotes, a quote inside doubled, control characters as \r, \n,
// \t or \xNN: a value whose bounds a reader can always tell.
std::string QuotedForLog(std::string_view text);
// One line of the log: a line break (CR, LF or CR LF) in a message becomes " | ", any
// other control character escaped as QuotedForLog does.
std::string OneLogLine(std::string_view text);

}  // namespace hdgr
