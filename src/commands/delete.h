// The "-delete" command: after a yes on standard input, takes the repository
// out of the descriptor and runs the installation's removal script. The
// repository's files are never touched; the user is told where they are.
#pragma once

#include <string>

// 0 when the removal script reported success; -1 for any other answer than
// one beginning with Y or y (end of input included), for a descriptor that
// names the repository but cannot be rewritten (the script then never runs),
// for a remote database without credentials, or when the script failed.
// Nothing is undone: the descriptor entry stays removed whatever follows.
int deleteRepository(const std::string& toolFolder, const std::string& name);
