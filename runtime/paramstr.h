#pragma once
// The command line: the process's arguments as the shell split them. An empty entry
// (what a lone pair of quotes gives) is no argument; everything else in an entry,
// blanks and control characters included, belongs to it. Arguments have no length limit.
#include <string>

// Takes a copy of main's arguments; argv[0] is the program's name. A null argv or a
// negative count is taken as no arguments at all.
void SetCommandLine(int argc, const char* const* argv);
// The number of arguments after the program's name.
int ParamCount();
// Argument `index`; 0 is the program's name; empty for an index out of range.
std::string ParamStr(int index);
