#pragma once

#include "cli/command_line.h"

// `merge OUT SAVE…`: joins the save folders of the N shards of one run into OUT,
// as one whole run would have written them.
int runMerge(const CommandLine &line);
