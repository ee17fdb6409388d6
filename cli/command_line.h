// The command line: `xasreduce [OPTIONS] FILE...` reduces every FILE without
// a question, as the dialogue would for the same answers, several at once,
// and prints a summary table.
#pragma once

namespace xas {

// Exit status: 0 when every file was reduced, 1 when one or more were
// refused (the others are reduced and committed all the same), 2 for a
// usage error, reported before anything is reduced.
int run_command_line(int argc, char** argv);

}  // namespace xas
